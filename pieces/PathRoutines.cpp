#include "pieces/PathRoutines.h"

#include <cctype>
#include <cstdio>
#include <filesystem>

#include "platform/FileIdentity.h"
#include "platform/Paths.h"

namespace zolvane {

int SplitPath(const std::string& path, std::string& folder, std::string& name) {
    const auto separator = path.find_last_of(platform::kPathSeparator);
    if (separator == std::string::npos) {
        folder.clear();
        name = path;
    } else {
        folder = path.substr(0, separator + 1);
        name = path.substr(separator + 1);
    }
    return 0;
}

int ReplaceExtension(const std::string& path, const std::string& extension, std::string& result,
                     ExtensionError* why) {
    std::string folder, name;
    SplitPath(path, folder, name);
    const auto dot = name.find('.');
    ExtensionError error = ExtensionError::None;
    if (dot == 0) {
        error = ExtensionError::NoName;
    } else if ((dot == std::string::npos ? name.size() : dot) > kMaxStemLength) {
        error = ExtensionError::StemTooLong;
    }
    if (why != nullptr) {
        *why = error;
    }
    if (error != ExtensionError::None) {
        return 1;
    }
    result = folder + name.substr(0, dot) + "." + extension;
    return 0;
}

int FileIsPresent(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return 0;
    }
    std::fclose(file);
    std::error_code error;
    return std::filesystem::is_directory(path, error) ? 0 : 1;
}

int PadNumber(std::int32_t number, std::string& text, int width) {
    const bool negative = number < 0;
    // Through 64 bits, so that the most negative number has a magnitude too.
    std::string digits = std::to_string(negative ? -static_cast<std::int64_t>(number)
                                                 : static_cast<std::int64_t>(number));
    const std::size_t length = digits.size() + (negative ? 1 : 0);
    if (width < 0 || length > static_cast<std::size_t>(width)) {
        text.clear();
        return -1;
    }
    text = std::string(negative ? "-" : "") +
           std::string(static_cast<std::size_t>(width) - length, '0') + digits;
    return 0;
}

std::string PiecePathOf(const std::string& memberPath, std::int32_t number) {
    std::string digits;
    PadNumber(number, digits, 3);
    std::string path = memberPath;
    ReplaceExtension(memberPath, digits, path);
    return path;
}

namespace {

bool SameLetters(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool SameFolder(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    const std::string first = a.empty() ? "." : a;
    const std::string second = b.empty() ? "." : b;
    if (platform::SameFile(first, second)) {
        return true;
    }
    std::error_code error;
    const fs::path one = fs::absolute(first, error).lexically_normal();
    const fs::path other = fs::absolute(second, error).lexically_normal();
    return !error && one == other;
}

}  // namespace

bool IsPieceOfSet(const std::string& memberPath, const std::string& path) {
    std::string setFolder, setName, folder, name;
    SplitPath(memberPath, setFolder, setName);
    SplitPath(path, folder, name);
    std::string first;
    if (ReplaceExtension(memberPath, "000", first) != 0) {
        // A name that takes no number is its own and only piece.
        return SameFolder(setFolder, folder) && SameLetters(setName, name);
    }
    const std::string stem = setName.substr(0, setName.find('.'));
    if (name.size() != stem.size() + 4 || name[stem.size()] != '.') {
        return false;
    }
    for (std::size_t i = stem.size() + 1; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) {
            return false;
        }
    }
    return SameLetters(name.substr(0, stem.size()), stem) && SameFolder(setFolder, folder);
}

}  // namespace zolvane
