// Path checks of the deletion safety rules: absolute paths, normal forms, protected folders, masks.
#include "PathRules.h"

#include "TextCase.h"

namespace lvu {
namespace {

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

std::string WithBackslashes(std::string_view path)
{
    std::string text(path);
    for (char& c : text)
        if (c == '/') c = '\\';
    return text;
}

// The next part of a path at `pos` (separators skipped first).
std::string_view NextPart(std::string_view text, size_t& pos)
{
    while (pos < text.size() && text[pos] == '\\') ++pos;
    const size_t start = pos;
    while (pos < text.size() && text[pos] != '\\') ++pos;
    return text.substr(start, pos - start);
}

lvc::Wildcard CompileFileMask(std::string_view mask, const lvc::FoldTable& fold)
{
    using Kind = lvc::WildcardState::Kind;
    std::vector<lvc::WildcardState> states;
    bool star = false;
    for (const char c : mask) {
        if (c == '*') {
            star = true;
            continue;
        }
        lvc::WildcardState state{c == '?' ? Kind::OneOrNoneAtDot : Kind::Literal};
        state.Literal = fold[static_cast<unsigned char>(c)];
        state.AfterStar = star;
        star = false;
        states.push_back(state);
    }
    lvc::WildcardState end{Kind::End};
    end.AfterStar = star;
    states.push_back(end);
    return lvc::Wildcard(states, fold);
}

}  // namespace

bool IsBareDrive(std::string_view path)
{
    return path.size() == 2 && IsLetter(path[0]) && path[1] == ':';
}

bool IsAbsolutePath(std::string_view path)
{
    if (path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && IsSeparator(path[2])) return true;
    if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return false;
    const std::string text = WithBackslashes(path);
    size_t pos = 2;
    if (pos < text.size() && text[pos] == '\\') return false;  // three slashes: no server
    const std::string_view server = NextPart(text, pos);
    const std::string_view share = NextPart(text, pos);
    return !server.empty() && server != "?" && server != "." && !share.empty();
}

std::string NormalizePath(std::string_view path)
{
    std::string text = WithBackslashes(path);
    std::string root;
    size_t pos = 0;
    if (text.rfind("\\\\?\\", 0) == 0 || text.rfind("\\\\.\\", 0) == 0) {
        std::string rest = text.substr(4);
        rest.erase(0, rest.find_first_not_of('\\'));  // "\\?\\C:" is read as "\\?\C:", as by the platform
        if (rest.size() >= 2 && IsLetter(rest[0]) && rest[1] == ':' && (rest.size() == 2 || rest[2] == '\\')) {
            text = rest;
        } else if (rest.size() >= 4 && EqualsNoCase(rest.substr(0, 4), "UNC\\")) {
            text = "\\\\" + rest.substr(4);
        } else {
            pos = 4;
            const std::string_view first = NextPart(text, pos);
            if (first.empty()) return {};
            root = text.substr(0, 4) + std::string(first);
        }
    }
    if (root.empty()) {
        if (text.size() >= 2 && IsLetter(text[0]) && text[1] == ':') {
            if (text.size() > 2 && text[2] != '\\') return {};
            root = text.substr(0, 2) + "\\";
            pos = 2;
        } else if (IsAbsolutePath(text)) {
            pos = 2;
            const std::string_view server = NextPart(text, pos);
            const std::string_view share = NextPart(text, pos);
            root = "\\\\" + std::string(server) + "\\" + std::string(share);
        } else {
            return {};
        }
    }
    std::vector<std::string> parts;
    while (pos < text.size()) {
        std::string_view part = NextPart(text, pos);
        if (part == "." || part.empty()) continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.remove_suffix(1);
        if (!part.empty()) parts.emplace_back(part);
    }
    std::string result = root;
    for (const std::string& part : parts) {
        if (result.back() != '\\') result += '\\';
        result += part;
    }
    return result;
}

bool IsRootPath(std::string_view normalized)
{
    return !normalized.empty() && ParentPath(normalized).empty();
}

std::string ParentPath(std::string_view normalized)
{
    const std::string text(normalized);
    if (text.size() == 3 && text[1] == ':') return {};
    const size_t slash = text.rfind('\\');
    if (slash == std::string::npos) return {};
    std::string parent = text.substr(0, slash);
    if (parent.size() == 2 && parent[1] == ':') return parent + "\\";
    // "\\server\share" and "\\?\name" have no parent: what is left is not a complete root.
    if (parent.rfind("\\\\", 0) == 0) {
        size_t pos = 2;
        const std::string_view first = NextPart(parent, pos);
        const std::string_view second = NextPart(parent, pos);
        if (first == "?" || first == ".") {
            if (second.empty()) return {};
        } else if (second.empty()) {
            return {};
        }
    }
    return parent;
}

bool IsSameOrAncestor(std::string_view ancestor, std::string_view path)
{
    if (ancestor.empty() || path.size() < ancestor.size()) return false;
    if (!EqualsNoCase(path.substr(0, ancestor.size()), ancestor)) return false;
    return path.size() == ancestor.size() || ancestor.back() == '\\' || path[ancestor.size()] == '\\';
}

bool IsProtectedPath(std::string_view normalized, const CriticalFolders& critical)
{
    if (normalized.empty() || IsRootPath(normalized)) return true;
    for (const std::string& folder : critical.Folders)
        if (IsSameOrAncestor(normalized, folder)) return true;
    for (const std::string& subtree : critical.Subtrees)
        if (IsSameOrAncestor(subtree, normalized) || IsSameOrAncestor(normalized, subtree)) return true;
    const std::string parent = ParentPath(normalized);
    for (const std::string& profiles : critical.ProfilesFolders)
        if (IsSameOrAncestor(normalized, profiles) || EqualsNoCase(parent, profiles)) return true;
    return false;
}

bool HasWildcard(std::string_view mask)
{
    return mask.find_first_of("*?") != std::string_view::npos;
}

FileMask::FileMask(std::string_view mask, const lvc::FoldTable& fold)
    : everything_(mask == "*.*" || mask == "*"), plain_(!HasWildcard(mask)), whole_(CompileFileMask(mask, fold))
{
    if (mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*")
        withoutExtension_ = CompileFileMask(mask.substr(0, mask.size() - 2), fold);
    else if (!mask.empty() && mask.back() == '.')
        withoutExtension_ = CompileFileMask(mask.substr(0, mask.size() - 1), fold);
}

bool FileMask::Matches(std::string_view longName, std::string_view shortName) const
{
    if (everything_ || whole_.Matches(longName)) return true;
    if (withoutExtension_ && longName.find('.') == std::string_view::npos && withoutExtension_->Matches(longName))
        return true;
    return plain_ && !shortName.empty() && whole_.Matches(shortName);
}

bool MatchesMask(std::string_view name, std::string_view mask)
{
    return FileMask(mask).Matches(name);
}

}  // namespace lvu
