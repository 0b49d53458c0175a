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

bool GlobMatch(std::string_view name, std::string_view mask)
{
    // Iterative wildcard match with one back-tracking point for the last "*".
    size_t n = 0, m = 0, starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() && mask[m] == '?') {
            // "?" may stand for nothing: try that first by skipping it in the mask on a mismatch.
            if (GlobMatch(name.substr(n), mask.substr(m + 1))) return true;
            ++m;
            ++n;
        } else if (m < mask.size() && UpperAscii(mask[m]) == UpperAscii(name[n])) {
            ++m;
            ++n;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && (mask[m] == '*' || mask[m] == '?')) ++m;
    return m == mask.size();
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
        const std::string rest = text.substr(4);
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
    const std::string parent = ParentPath(normalized);
    for (const std::string& profiles : critical.ProfilesFolders)
        if (IsSameOrAncestor(normalized, profiles) || EqualsNoCase(parent, profiles)) return true;
    return false;
}

bool MatchesMask(std::string_view name, std::string_view mask)
{
    if (mask == "*.*" || GlobMatch(name, mask)) return true;
    const bool nameHasDot = name.find('.') != std::string_view::npos;
    if (mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" && !nameHasDot)
        return GlobMatch(name, mask.substr(0, mask.size() - 2));
    if (!mask.empty() && mask.back() == '.' && !nameHasDot) return GlobMatch(name, mask.substr(0, mask.size() - 1));
    return false;
}

}  // namespace lvu
