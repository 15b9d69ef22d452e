#include "config/wildcard.h"

#include <bitset>

namespace zunt {

namespace {

// One pattern element: a literal byte, "?", "*" or a class.
struct Token {
    enum Kind { literal, any_one, star, set } kind;
    unsigned char byte = 0;
    std::bitset<256> members;
};

std::bitset<256> parse_class(std::string_view body) {
    std::bitset<256> members;
    int last = -1;
    for (std::size_t i = 0; i < body.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(body[i]);
        if (c == '-' && last >= 0 && i + 1 < body.size()) {
            unsigned char y = static_cast<unsigned char>(body[++i]);
            for (int b = last; b <= y; ++b) members.set(static_cast<std::size_t>(b));
            continue;  // the range's end does not become the last member
        }
        members.set(c);
        last = c;
    }
    return members;
}

std::vector<Token> compile(std::string_view pattern) {
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        Token t{Token::literal, static_cast<unsigned char>(c), {}};
        if (c == '*') {
            t.kind = Token::star;
        } else if (c == '?') {
            t.kind = Token::any_one;
        } else if (c == '[') {
            std::size_t close = pattern.find(']', i + 1);
            if (close != std::string_view::npos) {
                t.kind = Token::set;
                t.members = parse_class(pattern.substr(i + 1, close - i - 1));
                i = close;
            }
        }
        tokens.push_back(t);
    }
    return tokens;
}

bool one(const Token& t, unsigned char c) {
    switch (t.kind) {
        case Token::any_one: return true;
        case Token::set: return t.members.test(c);
        case Token::literal: return t.byte == c;
        case Token::star: return false;
    }
    return false;
}

}  // namespace

// Every token but "*" takes exactly one byte, so trying the shortest match
// for the latest star and moving it on one byte at a time finds a match
// whenever one exists, in at most pattern-length times text-length steps.
bool wildcard_match(std::string_view pattern, std::string_view text) {
    const std::vector<Token> tokens = compile(pattern);
    std::size_t p = 0, t = 0;
    std::size_t star = std::string_view::npos, star_text = 0;
    while (t < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[t]);
        if (p < tokens.size() && tokens[p].kind == Token::star) {
            star = p++;
            star_text = t;
        } else if (p < tokens.size() && one(tokens[p], c)) {
            ++p;
            ++t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++star_text;
        } else {
            return false;
        }
    }
    while (p < tokens.size() && tokens[p].kind == Token::star) ++p;
    return p == tokens.size();
}

bool is_excluded(const std::vector<std::string>& exclude_patterns, std::string_view name) {
    for (const auto& pattern : exclude_patterns)
        if (wildcard_match(pattern, name)) return true;
    return false;
}

}  // namespace zunt
