// Loading a dialog's DAT and checking its images in the background.
#include "CDatSession.h"

#include "DatResultText.h"
#include "dat/CDatFile.h"

CDatSession::CDatSession() = default;

CDatSession::~CDatSession() {
    Stop();
}

std::string CDatSession::Load(const std::string& path) {
    DatLoadResult loaded = CDatFile::Load(path);
    if (!loaded.dat) {
        return loaded.error.Text();
    }
    // The running check matches against the old index: it goes first.
    Stop();
    m_index = std::make_unique<CDatIndex>();
    m_index->Add(std::move(*loaded.dat));
    m_strPath = path;
    return {};
}

void CDatSession::Start(std::vector<const CRomEntry*> entries) {
    Stop();
    if (!m_index) {
        return;
    }
    m_checks.assign(entries.size(), EntryCheck{});
    m_checker = std::make_unique<CEntryChecker>(m_index.get(), std::move(entries), m_options);
    m_checker->Start(); // without a thread the images left are done, unchecked, with the reason
}

void CDatSession::Stop() {
    if (m_checker) {
        m_checker->Stop();
        m_checker.reset();
    }
    m_checks.clear();
}

bool CDatSession::IsRunning() const {
    return m_checker != nullptr && !m_checker->IsDone();
}

bool CDatSession::TakeFinished() {
    if (!m_checker) {
        return false;
    }
    const std::vector<std::size_t> finished = m_checker->TakeFinished();
    for (const std::size_t position : finished) {
        m_checks.at(position) = m_checker->Get(position);
    }
    return !finished.empty();
}

DatMatchStatus CDatSession::StatusAt(std::size_t position) const {
    return position < m_checks.size() ? m_checks[position].match.status : DatMatchStatus::Unchecked;
}

std::string CDatSession::ResultTextAt(std::size_t position) const {
    if (position >= m_checks.size()) {
        return DatResultText({});
    }
    const EntryCheck& check = m_checks[position];
    std::string text = DatResultText(check.match);
    if (!check.failureText.empty()) {
        text += " (" + check.failureText + ")";
    }
    return text;
}
