#include "morvash/SerchFiles.h"

#include <algorithm>
#include <array>

#include "platform/FileFind.h"
#include "platform/MbcsSearch.h"

namespace {

constexpr char kMarker = '*';
constexpr char kSeparator = '/';
constexpr char kShownInstead = '?';

bool IsControlByte(unsigned char byte) noexcept { return (byte >= 0x01 && byte <= 0x1F) || byte == 0x7F; }

// Tells whether a name cannot stand in a listing line as it is: a control
// byte would break the line or its indent, and a file name beginning with the
// marker would read as a directory.
bool NeedsShowing(std::string_view name, bool directory) noexcept {
    if (!directory && !name.empty() && name.front() == kMarker) {
        return true;
    }
    return std::any_of(name.begin(), name.end(),
                       [](char c) { return IsControlByte(static_cast<unsigned char>(c)); });
}

// Appends the name as a line shows it. Control bytes are never trail bytes of
// a double-byte character, so replacing them byte by byte is safe in every
// code page.
void AppendShown(CString& out, std::string_view name, bool directory) {
    if (!NeedsShowing(name, directory)) {
        out += name;
        return;
    }
    std::string shown(name);
    for (char& c : shown) {
        if (IsControlByte(static_cast<unsigned char>(c))) {
            c = kShownInstead;
        }
    }
    if (!directory && shown.front() == kMarker) {
        shown.front() = kShownInstead;
    }
    out += std::string_view(shown);
}

int LeadingTabs(std::string_view line) noexcept {
    const std::size_t first = line.find_first_not_of('\t');
    return static_cast<int>(first == std::string_view::npos ? line.size() : first);
}

// The name part of a listing line: what follows its indent and, on a
// directory line, its marker. A name's own leading blanks belong to it.
std::string_view ShownName(std::string_view line) noexcept {
    line.remove_prefix(static_cast<std::size_t>(LeadingTabs(line)));
    if (!line.empty() && line.front() == kMarker) {
        line.remove_prefix(1);
    }
    return line;
}

// The extension filter: accepts a file when its suffix (after the last ".",
// or the whole name) equals one of the blank-separated tokens, or when a token
// is empty. A blank at the start of the rest makes the whole rest one token.
bool AcceptedByFilter(std::string_view name, std::string_view filter) noexcept {
    const int dot = platform::ReverseFindChar(name, '.');
    const std::string_view suffix =
        dot < 0 ? name : name.substr(static_cast<std::size_t>(dot) + 1);
    std::string_view rest = filter;
    for (;;) {
        const int blank = platform::FindChar(rest, ' ');
        const std::string_view token =
            blank <= 0 ? rest : rest.substr(0, static_cast<std::size_t>(blank));
        if (token.empty() || token == suffix) {
            return true;
        }
        if (blank < 0) {
            return false;
        }
        rest = rest.substr(static_cast<std::size_t>(blank) + 1);
    }
}

// Moves a UTC time forward by nine hours. February has 29 days in every year
// divisible by four (no century rule); the day of the week is left as the
// conversion gave it.
void AddNineHours(SYSTEMTIME& time) noexcept {
    time.wHour = static_cast<WORD>(time.wHour + 9);
    if (time.wHour < 24) {
        return;
    }
    time.wHour = static_cast<WORD>(time.wHour - 24);
    time.wDay = static_cast<WORD>(time.wDay + 1);
    int monthLength = 31;
    if (time.wMonth == 2) {
        monthLength = time.wYear % 4 == 0 ? 29 : 28;
    } else if (time.wMonth == 4 || time.wMonth == 6 || time.wMonth == 9 || time.wMonth == 11) {
        monthLength = 30;
    }
    if (time.wDay > monthLength) {
        time.wDay = 1;
        time.wMonth = static_cast<WORD>(time.wMonth + 1);
        if (time.wMonth > 12) {
            time.wMonth = 1;
            time.wYear = static_cast<WORD>(time.wYear + 1);
        }
    }
}

}  // namespace

CFileInfo::CFileInfo() : m_Length(0), m_LastWrite{1601, 1, 1, 1, 0, 0, 0, 0}, m_LengthHigh(0) {}

CFileInfo::CFileInfo(const CFileInfo& other) = default;

CFileInfo& CFileInfo::operator=(const CFileInfo& other) = default;

CFileInfo::~CFileInfo() = default;

CSerchFiles::CSerchFiles(const char* path, unsigned int maxDepth)
    : CSerchFiles(path, nullptr, maxDepth) {}

CSerchFiles::CSerchFiles(const char* path, const char* extensions, unsigned int maxDepth)
    : m_NumOfDir(0), m_NumOfFile(0), m_CurDepth(0) {
    m_RootPath = path;
    if (maxDepth >= MAX_SEARCH_DEPTH) {
        maxDepth = MAX_SEARCH_DEPTH;
    }
    m_ListFiles.SetSize(0, -1);
    mFc_MakeFileList(CString(path), CString(extensions), nullptr, maxDepth);
    linkParents();
}

CSerchFiles::~CSerchFiles() = default;

unsigned int CSerchFiles::gFc_GetNumOfDir() { return m_NumOfDir; }

unsigned int CSerchFiles::gFc_GetNumOfFile() { return m_NumOfFile; }

CStringArray* CSerchFiles::gFc_GetListFiles() { return &m_ListFiles; }

void CSerchFiles::mFc_MakeFileList(CString path, CString extensions, const char* subDir,
                                   unsigned int maxDepth) {
    if (path.IsEmpty()) {
        return;
    }
    if (subDir != nullptr) {
        // Always one separator, even after a root that ends with one ("//sub"
        // below "/"), which the system accepts as one.
        path += kSeparator;
        path += subDir;
    }
    CString pattern = path + "/*.*";
    CFileFind finder;
    if (!finder.FindFile(pattern)) {
        return;
    }
    BOOL more = TRUE;
    while (more) {
        more = finder.FindNextFile();
        if (finder.IsDots()) {
            continue;
        }
        const std::string_view name = finder.FileName();
        if (finder.IsDirectory()) {
            ++m_NumOfDir;
            addLine(name, true);
            ++m_CurDepth;
            if (m_CurDepth <= maxDepth) {
                const CString subFolder(name);
                mFc_MakeFileList(path, extensions, subFolder, maxDepth);
            }
            --m_CurDepth;
        } else if (AcceptedByFilter(name, extensions.view())) {
            addLine(name, false);
            ++m_NumOfFile;
        }
    }
}

void CSerchFiles::addLine(std::string_view name, bool directory) {
    CString line;
    line.Preallocate(static_cast<int>(m_CurDepth + (directory ? 1 : 0) + name.size()));
    for (unsigned int i = 0; i < m_CurDepth; ++i) {
        line += '\t';
    }
    if (directory) {
        line += kMarker;
    }
    AppendShown(line, name, directory);
    const int index = m_ListFiles.Add(std::move(line));
    if (NeedsShowing(name, directory)) {
        realNames_.emplace_back(index, CString(name));
    }
}

void CSerchFiles::linkParents() {
    const int count = m_ListFiles.GetSize();
    parents_.assign(static_cast<std::size_t>(count), -1);
    std::array<std::int32_t, MAX_SEARCH_DEPTH + 1> lastAtDepth{};
    for (int i = 0; i < count; ++i) {
        const int depth = std::min(LeadingTabs(m_ListFiles[i].view()), MAX_SEARCH_DEPTH);
        if (depth > 0) {
            parents_[static_cast<std::size_t>(i)] = lastAtDepth[static_cast<std::size_t>(depth - 1)];
        }
        lastAtDepth[static_cast<std::size_t>(depth)] = i;
    }
    parents_.shrink_to_fit();
}

CString CSerchFiles::realName(int index) const {
    const auto found = std::lower_bound(
        realNames_.begin(), realNames_.end(), index,
        [](const std::pair<int, CString>& entry, int key) { return entry.first < key; });
    if (found != realNames_.end() && found->first == index) {
        return found->second;
    }
    return CString(ShownName(m_ListFiles[index].view()));
}

CString CSerchFiles::gFc_GetTargetPath(int index) {
    if (index < 0 || index >= m_ListFiles.GetSize()) {
        return CString();
    }
    std::array<int, MAX_SEARCH_DEPTH + 1> chain{};
    std::size_t levels = 0;
    for (int up = parents_[static_cast<std::size_t>(index)]; up >= 0 && levels < chain.size();
         up = parents_[static_cast<std::size_t>(up)]) {
        chain[levels++] = up;
    }
    CString target = m_RootPath;
    if (m_RootPath.ReverseFind(kSeparator) != m_RootPath.GetLength() - 1) {
        target += kSeparator;
    }
    while (levels > 0) {
        target += realName(chain[--levels]);
        target += kSeparator;
    }
    return target;
}

CFileInfo CSerchFiles::gFc_GetFileInfo(int index) {
    CFileInfo info;
    if (index < 0 || index >= m_ListFiles.GetSize()) {
        return info;
    }
    const CString name = realName(index);
    const CString fullPath = gFc_GetTargetPath(index) + name;
    CFileFind finder;
    if (!finder.FindFile(fullPath, CFileFind::Match::Exact)) {
        return info;
    }
    finder.FindNextFile();
    const bool directory = finder.IsDirectory() != FALSE;
    const CString title = finder.GetFileTitle();
    CString shownTitle;
    AppendShown(shownTitle, title.view(), directory);
    const std::uint64_t length = finder.GetLength();
    FILETIME written{};
    SYSTEMTIME time = info.m_LastWrite;
    if (finder.GetLastWriteTime(&written)) {
        FileTimeToSystemTime(&written, &time);
    }
    AddNineHours(time);

    info.m_FullPath = fullPath;
    info.m_FileTitle = shownTitle;
    info.m_Length = static_cast<unsigned int>(length & 0xFFFF'FFFFu);
    info.m_LastWrite = time;
    info.m_LengthHigh = static_cast<unsigned int>(length >> 32);
    return info;
}
