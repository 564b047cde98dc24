#include "morvash/SerchFiles.h"

#include <dirent.h>
#include <algorithm>
#include <array>

#include <cerrno>
#include <climits>
#include <utility>

#include "ExtensionFilter.h"
#include "NineHours.h"
#include "ShownName.h"
#include "morvash/ListingLine.h"
#include "morvash/platform/FileFind.h"

using morvash::detail::AcceptedByFilter;
using morvash::detail::AddNineHours;
using morvash::detail::AppendShown;
using morvash::detail::NeedsShowing;

namespace {

constexpr char kSeparator = '/';

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
    enclosing_ = nullptr;
    linkParents();
}

CSerchFiles::CSerchFiles(const char* path, const char* extensions,
                         const morvash::WalkOptions& options)
    : m_NumOfDir(0), m_NumOfFile(0), m_CurDepth(0), options_(options) {
    m_RootPath = path;
    const unsigned int maxDepth = std::min<unsigned int>(options.maxDepth, MAX_SEARCH_DEPTH);
    m_ListFiles.SetSize(0, -1);
    mFc_MakeFileList(CString(path), CString(extensions), nullptr, maxDepth);
    enclosing_ = nullptr;
    linkParents();
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
    CFileFind finder;
    // A subfolder is opened relative to the enumeration that has just yielded
    // it: the folder that `path` names, without resolving every folder above
    // it again (and without a limit on the path's length).
    errno = 0;
    const BOOL started = subDir != nullptr && enclosing_ != nullptr
                             ? finder.FindSubFolder(*enclosing_, subDir)
                             : finder.FindFile(path + "/*.*");
    if (!started) {
        if (errno != 0) {
            errors_.push_back({std::string(path.view()), errno});
        }
        return;
    }
    if (options_.control != nullptr) {
        options_.control->AddFolder();
    }
    BOOL more = TRUE;
    while (more) {
        if (stopNow()) {
            return;
        }
        more = finder.FindNextFile();
        if (finder.IsDots()) {
            continue;
        }
        const std::string_view name = finder.FileName();
        if (finder.IsDirectory()) {
            ++m_NumOfDir;
            addLine(name, true, morvash::EntryType::Directory);
            ++m_CurDepth;
            if (m_CurDepth <= maxDepth) {
                enclosing_ = &finder;
                mFc_MakeFileList(path, extensions, name.data(), maxDepth);  // NUL-terminated
            }
            --m_CurDepth;
        } else if (AcceptedByFilter(name, extensions.view())) {
            const unsigned char type = finder.GetEntryType();
            addLine(name, false,
                    type == DT_LNK                         ? morvash::EntryType::Link
                    : type == DT_REG || type == DT_UNKNOWN ? morvash::EntryType::File
                                                           : morvash::EntryType::Other);
            ++m_NumOfFile;
        }
    }
}

bool CSerchFiles::stopNow() {
    if (options_.control != nullptr && options_.control->StopRequested()) {
        stopped_ = true;
    }
    return stopped_;
}

void CSerchFiles::addLine(std::string_view name, bool directory, morvash::EntryType type) {
    // m_CurDepth never exceeds the clamped depth, so the indent is a prefix of kTabs.
    static constexpr std::string_view kTabs =
        "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";
    static_assert(kTabs.size() == MAX_SEARCH_DEPTH);
    const bool unshowable = NeedsShowing(name, directory);
    CString line;
    line.Preallocate(static_cast<int>(m_CurDepth + (directory ? 1 : 0) + name.size()));
    line += kTabs.substr(0, m_CurDepth);
    if (directory) {
        line += morvash::kDirectoryMarker;
    }
    if (unshowable) {
        AppendShown(line, name, directory);
    } else {
        line += name;
    }
    const int index = m_ListFiles.Add(std::move(line));
    types_.push_back(type);
    if (options_.control != nullptr) {
        options_.control->AddEntries(1);
    }
    if (unshowable) {
        realNames_.emplace_back(index, CString(name));
    }
}

void CSerchFiles::linkParents() {
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
    if (!platform::FindExact(fullPath, details)) {
        return info;
    }
    // The title comes from the real name, the name the lookup found.
    AppendShown(info.m_FileTitle, platform::FileTitle(realName(index)), details.directory);
    SYSTEMTIME time = info.m_LastWrite;
    FileTimeToSystemTime(&details.lastWrite, &time);
    AddNineHours(time);

    info.m_FullPath = std::move(fullPath);
    info.m_Length = static_cast<unsigned int>(details.length & 0xFFFF'FFFFu);
    info.m_LastWrite = time;
    info.m_LengthHigh = static_cast<unsigned int>(details.length >> 32);
    return info;
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
