#include "cli/Terminal.h"

#include <cctype>
#include <cstdio>

#include "platform/Console.h"

namespace zolvane::cli {
namespace {

// How many bytes of valid UTF-8 start at `at`: 0 when the bytes there are not.
std::size_t Utf8SequenceAt(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u;
    };
    const unsigned lead = byte(at);
    std::size_t length = 0;
    unsigned low = 0x80;  // the range of the second byte, narrower after some leads
    unsigned high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (byte(at + 1) < low || byte(at + 1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

void AppendEscape(std::string& out, unsigned char byte) {
    switch (byte) {
    case '\n':
        out += "\\n";
        return;
    case '\r':
        out += "\\r";
        return;
    case '\t':
        out += "\\t";
        return;
    default:
        break;
    }
    char text[5];
    std::snprintf(text, sizeof text, "\\x%02x", byte);
    out += text;
}

void PrintIndented(const std::string& caption, const std::string& text) {
    std::fprintf(stderr, "[%s] ", caption.c_str());
    std::size_t start = 0;
    for (;;) {
        const auto end = text.find('\n', start);
        std::fprintf(stderr, "%s\n", Printable(text.substr(start, end - start)).c_str());
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
        std::fputs("    ", stderr);
    }
}

}  // namespace

std::string Printable(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte >= 0x20 && byte < 0x7F) {
            out += text[at++];
            continue;
        }
        const std::size_t length = byte < 0x80 ? 0 : Utf8SequenceAt(text, at);
        // U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F.
        const bool c1 =
            length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0;
        if (length == 0 || c1) {
            AppendEscape(out, byte);
            ++at;
            continue;
        }
        out.append(text, at, length);
        at += length;
    }
    return out;
}

// Questions are asked only where the user both sees them and can answer them.
Terminal::Terminal(bool overwriteAll)
    : overwriteAll_(overwriteAll),
      interactive_(platform::IsTerminal(platform::StandardStream::Input) &&
                   platform::IsTerminal(platform::StandardStream::Error)),
      progressBar_(platform::IsTerminal(platform::StandardStream::Error)) {
    platform::WatchInterrupt();
}

Terminal::~Terminal() {
    clearProgress();
    platform::StopWatchingInterrupt();
}

MessageReply Terminal::message(const std::string& text, const std::string& caption,
                               MessageIcon /*icon*/, MessageButtons buttons,
                               const std::string& detail) {
    clearProgress();
    PrintIndented(caption, text);
    if (!detail.empty()) {
        std::fprintf(stderr, "    %s\n", Printable(detail).c_str());
    }
    switch (buttons) {
    case MessageButtons::Ok:
        return MessageReply::Ok;
    case MessageButtons::OkCancel:
        return ask("[o] OK / [c] キャンセル", "oc") == 'o' ? MessageReply::Ok
                                                           : MessageReply::Cancel;
    case MessageButtons::RetryCancel:
        return ask("[r] 再試行 / [c] キャンセル", "rc") == 'r' ? MessageReply::Retry
                                                               : MessageReply::Cancel;
    case MessageButtons::OverwriteAllCancel:
        return ask("[a] すべて上書き / [c] キャンセル", "ac") == 'a' ? MessageReply::Ok
                                                                     : MessageReply::Cancel;
    }
    return MessageReply::Cancel;
}

OverwriteAnswer Terminal::askOverwrite(const std::string& name, const std::string& target) {
    clearProgress();
    std::fprintf(stderr, "[警告] 同名のファイル\n    %s\n    が存在します。\n",
                 Printable(name).c_str());
    if (!target.empty() && target != name) {
        std::fprintf(stderr, "    上書きされるファイル: %s\n", Printable(target).c_str());
    }
    if (overwriteAll_) {
        std::fputs("    → 以降すべて上書き (--overwrite)\n", stderr);
        return OverwriteAnswer::OverwriteAll;
    }
    if (!interactive_) {
        std::fputs("    → キャンセル (上書きするには --overwrite を指定してください)\n", stderr);
        return OverwriteAnswer::Cancel;
    }
    switch (ask("[o] 上書き / [a] 以降すべて上書き / [c] キャンセル", "oac")) {
    case 'o':
        return OverwriteAnswer::Overwrite;
    case 'a':
        return OverwriteAnswer::OverwriteAll;
    default:
        return OverwriteAnswer::Cancel;
    }
}

bool Terminal::confirmReplacing(const std::string& folder, const std::vector<std::string>& names,
                                std::uint64_t count) {
    // A screenful at most: the rest is only counted.
    constexpr std::size_t kListed = 20;
    clearProgress();
    std::fprintf(stderr,
                 "[警告] LZHファイルを展開すると、%s の %llu 個のファイルが上書きされます。\n",
                 Printable(folder).c_str(), static_cast<unsigned long long>(count));
    std::size_t shown = 0;
    for (; shown < names.size() && shown < kListed; ++shown) {
        std::fprintf(stderr, "    %s\n", Printable(names[shown]).c_str());
    }
    if (count > shown) {
        std::fprintf(stderr, "    ... ほか %llu 件\n",
                     static_cast<unsigned long long>(count - shown));
    }
    if (overwriteAll_) {
        std::fputs("    → すべて上書き (--overwrite)\n", stderr);
        return true;
    }
    if (!interactive_) {
        std::fputs("    → 展開しません (上書きするには --overwrite を指定してください)\n", stderr);
        return false;
    }
    return ask("[a] すべて上書き / [c] キャンセル", "ac") == 'a';
}

void Terminal::warn(const std::string& text) {
    clearProgress();
    std::fprintf(stderr, "[警告] %s\n", Printable(text).c_str());
}

// Returns one of the choices; 'c' (cancel) when nobody can answer or on Ctrl-C or another
// stop signal.
char Terminal::ask(const std::string& question, const std::string& choices) {
    if (!interactive_) {
        std::fputs("    → キャンセル (応答できる端末がありません)\n", stderr);
        return 'c';
    }
    for (;;) {
        std::fprintf(stderr, "%s: ", question.c_str());
        std::fflush(stderr);
        char line[64];
        if (std::fgets(line, sizeof line, stdin) == nullptr) {
            std::clearerr(stdin);
            std::fputc('\n', stderr);
            return 'c';
        }
        const char answer = static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
        if (answer != '\0' && choices.find(answer) != std::string::npos) {
            return answer;
        }
    }
}

void Terminal::showLine(const std::string& label, const std::string& path) {
    clearProgress();
    std::fprintf(stderr, "%s %s\n", label.c_str(), Printable(path).c_str());
}

void Terminal::showProgress(int percent) {
    if (!progressBar_ || percent == shownPercent_) {
        return;
    }
    shownPercent_ = percent;
    constexpr int kWidth = 40;
    const int filled = percent * kWidth / 100;
    std::fprintf(stderr, "\r[%s%s] %3d%%",
                 std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(kWidth - filled), ' ').c_str(), percent);
    std::fflush(stderr);
}

void Terminal::clearProgress() {
    if (progressBar_ && shownPercent_ >= 0) {
        std::fputs("\r\033[K", stderr);
        shownPercent_ = -1;
    }
}

bool Terminal::cancelRequested() const {
    return platform::Interrupted();
}

}  // namespace zolvane::cli
