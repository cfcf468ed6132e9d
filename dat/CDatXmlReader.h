// Reads the Logiqx XML form of a DAT:
//   <datafile><header><name>...</name><version>...</version></header>
//   <game name="..."><rom name="..." size="123" crc="89abcdef" md5="..."
//                         sha1="..." serial="..." status="verified"/></game>
//   </datafile>
// "machine" may stand for "game". A document type with an internal subset
// (entity declarations) is refused, so no entity is ever expanded; pugixml
// itself only ever expands the five predefined ones and character references.
#pragma once

#include <string_view>

class CDatBuilder;

class CDatXmlReader {
public:
    // Reads `text` into `builder`; false on a fault, which the builder holds.
    static bool Read(std::string_view text, CDatBuilder& builder);
};
