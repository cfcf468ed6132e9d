// Extension list of the Game Boy Advance loader.
#include "CGbaRomLoader.h"

CGbaRomLoader::CGbaRomLoader() {
    // Slot order is also the order in which a folder scan takes the groups.
    m_strExt[0] = "BIN";
    m_strExt[1] = "GBA";
    m_strExt[2] = "AGB";
    m_strExt[3] = "ZIP"; // the archive type: last, and never taken inside an archive
    m_nExtCount = 4;
}
