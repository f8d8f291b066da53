#include "archiver/Command.h"

#include <vector>

namespace zolvane::archiver {
namespace {

struct Token {
    std::string text;  // quotes removed
    bool quoted = false;
    std::string afterQuote;  // unquoted text right after the last closing quote
};

std::string Tokenize(const std::string& text, std::vector<Token>& tokens) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
            continue;
        }
        Token token;
        bool inQuotes = false;
        for (; i < text.size() && (inQuotes || (text[i] != ' ' && text[i] != '\t')); ++i) {
            if (text[i] == '"') {
                inQuotes = !inQuotes;
                token.quoted = true;
                if (!inQuotes) {
                    token.afterQuote.clear();
                }
                continue;
            }
            token.text += text[i];
            if (token.quoted && !inQuotes) {
                token.afterQuote += text[i];
            }
        }
        if (inQuotes) {
            return "unterminated quote";
        }
        tokens.push_back(token);
    }
    return {};
}

// Switches such as "-a1", "-x1r1a1", "-a1x1m0": letters, each with an optional number.
std::string ApplySwitches(const std::string& text, Command& command) {
    std::size_t i = 1;
    if (text.size() < 2) {
        return "empty switch";
    }
    while (i < text.size()) {
        const char letter = text[i++];
        std::string digits;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            digits += text[i++];
        }
        const bool on = digits.empty() || digits != "0";
        switch (letter) {
        case 'r':
            command.recursive = on;
            break;
        case 'x':
            command.keepFolders = on;
            break;
        case 'c':
            if (command.kind != Command::Kind::Extract) {
                return "switch -c is for unpacking only";
            }
            command.check = on;
            break;
        case 'a':  // attributes: always recorded and restored
        case 'm':  // messages: never shown
            break;
        default:
            return std::string("unknown switch -") + letter;
        }
    }
    return {};
}

// "DEST/"*.* names the folder in quotes and the mask after them.
void SplitDestination(const Token& token, Command& command) {
    if (token.quoted) {
        command.destination = token.text.substr(0, token.text.size() - token.afterQuote.size());
        command.mask = token.afterQuote;
    } else {
        auto slash = token.text.rfind('/');
        std::string last = slash == std::string::npos ? token.text : token.text.substr(slash + 1);
        if (last.find_first_of("*?") != std::string::npos) {
            command.destination = token.text.substr(0, token.text.size() - last.size());
            command.mask = last;
        } else {
            command.destination = token.text;
        }
    }
}

}  // namespace

std::string ParseCommand(const std::string& text, Command& command) {
    command = {};
    std::vector<Token> tokens;
    std::string error = Tokenize(text, tokens);
    if (!error.empty()) {
        return error;
    }
    if (tokens.empty()) {
        return "empty command";
    }
    const std::string& verb = tokens[0].text;
    if (verb == "a" || verb == "A") {
        command.kind = Command::Kind::Add;
    } else if (verb == "e" || verb == "E") {
        command.kind = Command::Kind::Extract;
    } else if (verb == "x" || verb == "X") {
        command.kind = Command::Kind::Extract;
        command.keepFolders = true;
    } else {
        return "unknown command '" + verb + "'";
    }
    std::vector<Token> items;
    for (std::size_t i = 1; i < tokens.size(); ++i) {
        if (!tokens[i].quoted && !tokens[i].text.empty() && tokens[i].text[0] == '-' &&
            items.empty()) {
            error = ApplySwitches(tokens[i].text, command);
            if (!error.empty()) {
                return error;
            }
        } else {
            items.push_back(tokens[i]);
        }
    }
    if (items.size() != 2) {
        return "expected an archive and one more item, got " + std::to_string(items.size()) +
               " items";
    }
    command.archive = items[0].text;
    if (command.archive.empty()) {
        return "no archive named";
    }
    if (command.kind == Command::Kind::Add) {
        command.name = items[1].text;
        if (command.name.empty()) {
            return "no file named";
        }
    } else {
        SplitDestination(items[1], command);
        if (command.mask.empty()) {
            command.mask = "*.*";
        }
    }
    return {};
}

}  // namespace zolvane::archiver
