#include "cli/Terminal.h"

#include <cctype>
#include <cstdio>

#include "platform/Console.h"

namespace zolvane::cli {
namespace {

void PrintIndented(const std::string& caption, const std::string& text) {
    std::fprintf(stderr, "[%s] ", caption.c_str());
    std::size_t start = 0;
    for (;;) {
        const auto end = text.find('\n', start);
        std::fprintf(stderr, "%s\n", text.substr(start, end - start).c_str());
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
        std::fputs("    ", stderr);
    }
}

}  // namespace

Terminal::Terminal(bool overwriteAll)
    : overwriteAll_(overwriteAll),
      interactive_(platform::IsTerminal(platform::StandardStream::Input)),
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
        std::fprintf(stderr, "    %s\n", detail.c_str());
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
    }
    return MessageReply::Cancel;
}

OverwriteAnswer Terminal::askOverwrite(const std::string& name, const std::string& target) {
    clearProgress();
    std::fprintf(stderr, "[警告] 同名のファイル\n    %s\n    が存在します。\n", name.c_str());
    if (!target.empty() && target != name) {
        std::fprintf(stderr, "    上書きされるファイル: %s\n", target.c_str());
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

// Returns one of the choices; 'c' (cancel) when nobody can answer or on Ctrl-C.
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
    std::fprintf(stderr, "%s %s\n", label.c_str(), path.c_str());
}

void Terminal::showProgress(int percent) {
    if (!progressBar_ || percent == shownPercent_) {
        return;
    }
    shownPercent_ = percent;
    constexpr int kWidth = 40;
    const int filled = percent * kWidth / 100;
    std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(static_cast<std::size_t>(filled), '#').c_str(),
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
