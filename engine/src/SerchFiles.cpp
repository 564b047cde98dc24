#include "morvash/SerchFiles.h"

#include <algorithm>
#include <array>
#include <climits>
#include <utility>

#include "NineHours.h"
#include "ShownName.h"
#include "Walk.h"
#include "morvash/ListingLine.h"
#include "morvash/platform/FileFind.h"

using morvash::detail::AddNineHours;
using morvash::detail::AppendShown;

namespace {

constexpr char kSeparator = '/';
constexpr std::int32_t kNoLine = -2;  // no line, not even the walked folder's
// The time of a record whose entry was not found: 1601-01-01 00:00 (a Monday).
constexpr SYSTEMTIME kNoTime{1601, 1, 1, 1, 0, 0, 0, 0};

}  // namespace

CFileInfo::CFileInfo() : m_Length(0), m_LastWrite(kNoTime), m_LengthHigh(0) {}

CFileInfo::CFileInfo(const CFileInfo& other) = default;

CFileInfo& CFileInfo::operator=(const CFileInfo& other) = default;

CFileInfo::~CFileInfo() = default;

CSerchFiles::CSerchFiles(const char* path, unsigned int maxDepth)
    : CSerchFiles(path, nullptr, maxDepth) {}

CSerchFiles::CSerchFiles(const char* path, const char* extensions, unsigned int maxDepth)
    : m_NumOfDir(0), m_NumOfFile(0) {
    morvash::WalkOptions options;
    options.maxDepth = maxDepth;
    walk(path, extensions, options);
}

CSerchFiles::CSerchFiles(const char* path, const char* extensions,
                         const morvash::WalkOptions& options)
    : m_NumOfDir(0), m_NumOfFile(0) {
    walk(path, extensions, options);
}

CSerchFiles::~CSerchFiles() = default;

unsigned int CSerchFiles::gFc_GetNumOfDir() {
    return m_NumOfDir;
}

unsigned int CSerchFiles::gFc_GetNumOfFile() {
    return m_NumOfFile;
}

CStringArray* CSerchFiles::gFc_GetListFiles() {
    return &m_ListFiles;
}

void CSerchFiles::walk(const char* path, const char* extensions,
                       const morvash::WalkOptions& options) {
    m_RootPath = path;
    m_ListFiles.SetSize(0, -1);
    morvash::detail::WalkOutput out{m_ListFiles, types_,   realNames_,
                                    errors_,     details_, linkTargets_};
    morvash::detail::Walk(path, extensions != nullptr ? extensions : "", options, out);
    m_NumOfDir = out.directories;
    m_NumOfFile = out.files;
    stopped_ = out.stopped;

    const int count = m_ListFiles.GetSize();
    parents_.assign(static_cast<std::size_t>(count), -1);
    std::array<std::int32_t, MAX_SEARCH_DEPTH + 1> lastAtDepth{};
    for (int i = 0; i < count; ++i) {
        const int depth = std::min(morvash::LineDepth(m_ListFiles[i].view()), MAX_SEARCH_DEPTH);
        if (depth > 0) {
            parents_[static_cast<std::size_t>(i)] =
                lastAtDepth[static_cast<std::size_t>(depth - 1)];
        }
        lastAtDepth[static_cast<std::size_t>(depth)] = i;
    }
    parents_.shrink_to_fit();
}

std::string_view CSerchFiles::realName(int index) const {
    const auto found = std::lower_bound(
        realNames_.begin(), realNames_.end(), index,
        [](const std::pair<int, CString>& entry, int key) { return entry.first < key; });
    if (found != realNames_.end() && found->first == index) {
        return found->second.view();
    }
    return morvash::ReadListingLine(m_ListFiles[index].view()).name;
}

CString CSerchFiles::pathOf(int index, bool withName) const {
    // The real names from the outermost folder in, each with its separator,
    // measured first so that the path takes one allocation.
    std::array<std::string_view, MAX_SEARCH_DEPTH + 1> folders;
    std::size_t levels = 0;
    for (int up = parents_[static_cast<std::size_t>(index)]; up >= 0 && levels < folders.size();
         up = parents_[static_cast<std::size_t>(up)]) {
        folders[levels++] = realName(up);
    }
    const std::string_view root = m_RootPath.view();
    const bool rootSeparator = m_RootPath.ReverseFind(kSeparator) != m_RootPath.GetLength() - 1;
    const std::string_view name = withName ? realName(index) : std::string_view();
    std::size_t length = root.size() + (rootSeparator ? 1 : 0) + name.size();
    for (std::size_t k = 0; k < levels; ++k) {
        length += folders[k].size() + 1;
    }

    CString path;
    path.Preallocate(static_cast<int>(std::min<std::size_t>(length, INT_MAX)));
    path += root;
    if (rootSeparator) {
        path += kSeparator;
    }
    while (levels > 0) {
        path += folders[--levels];
        path += kSeparator;
    }
    path += name;
    return path;
}

CString CSerchFiles::gFc_GetTargetPath(int index) {
    if (index < 0 || index >= m_ListFiles.GetSize()) {
        return CString();
    }
    return pathOf(index, false);
}

CFileInfo CSerchFiles::gFc_GetFileInfo(int index) {
    CFileInfo info;
    if (index < 0 || index >= m_ListFiles.GetSize()) {
        return info;
    }
    CString fullPath = pathOf(index, true);
    platform::EntryDetails details;
    if (platform::FindExact(fullPath, details)) {
        info.m_FullPath = std::move(fullPath);
        fill(info, realName(index), details);
    }
    return info;
}

void CSerchFiles::fill(CFileInfo& info, std::string_view name,
                       const platform::EntryDetails& details) {
    // The title comes from the real name, the name the lookup found.
    info.m_FileTitle.Truncate(0);
    AppendShown(info.m_FileTitle, platform::FileTitle(name), details.directory);
    SYSTEMTIME time = kNoTime;
    FileTimeToSystemTime(&details.lastWrite, &time);
    AddNineHours(time);

    info.m_Length = static_cast<unsigned int>(details.length & 0xFFFF'FFFFu);
    info.m_LastWrite = time;
    info.m_LengthHigh = static_cast<unsigned int>(details.length >> 32);
}

morvash::EntryType CSerchFiles::GetEntryType(int index) const noexcept {
    if (index < 0 || static_cast<std::size_t>(index) >= types_.size()) {
        return morvash::EntryType::File;
    }
    return types_[static_cast<std::size_t>(index)];
}

std::string_view CSerchFiles::RealName(int index) const {
    if (index < 0 || index >= m_ListFiles.GetSize()) {
        return {};
    }
    return realName(index);
}

CString CSerchFiles::FullPath(int index) const {
    if (index < 0 || index >= m_ListFiles.GetSize()) {
        return CString();
    }
    return pathOf(index, true);
}

const morvash::EntryDetails* CSerchFiles::Details(int index) const noexcept {
    if (index < 0 || static_cast<std::size_t>(index) >= details_.size()) {
        return nullptr;
    }
    return &details_[static_cast<std::size_t>(index)];
}

const morvash::LinkTarget* CSerchFiles::GetLinkTarget(int index) const noexcept {
    const auto found = std::lower_bound(linkTargets_.begin(), linkTargets_.end(), index,
                                        [](const std::pair<int, morvash::LinkTarget>& entry,
                                           int key) { return entry.first < key; });
    return found != linkTargets_.end() && found->first == index ? &found->second : nullptr;
}
