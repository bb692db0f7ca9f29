// The resource file parsers: one tokenizer, then a small recursive descent per file kind.
#include "resource_parser.h"

#include <charconv>
#include <set>

#include "utf8.h"

namespace kvhost {
namespace {

enum class Tok { Ident, Number, String, Punct, Directive, End };

struct Token {
  Tok kind = Tok::End;
  std::string text;  // a string token holds its decoded text
  int line = 0;
};

std::string Located(const std::string& file, int line, const std::string& what) {
  return file + ":" + std::to_string(line) + ": " + what;
}

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool Tokenize(const std::string& file, std::string_view text, bool directives, std::vector<Token>& out,
              std::string& error) {
  if (!IsValidUtf8(text)) {
    error = Located(file, 1, "the file is not valid UTF-8");
    return false;
  }
  int line = 1;
  std::size_t i = 0;
  bool lineStart = true;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\n') {
      ++line;
      ++i;
      lineStart = true;
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
      continue;
    }
    if (text.substr(i, 2) == "//") {
      while (i < text.size() && text[i] != '\n') ++i;
      continue;
    }
    if (text.substr(i, 2) == "/*") {
      std::size_t end = text.find("*/", i + 2);
      if (end == std::string_view::npos) {
        error = Located(file, line, "comment not closed");
        return false;
      }
      for (std::size_t k = i; k < end; ++k) line += text[k] == '\n';
      i = end + 2;
      continue;
    }
    Token t;
    t.line = line;
    if (c == '#' && directives && lineStart) {
      std::size_t end = text.find('\n', i);
      if (end == std::string_view::npos) end = text.size();
      t.kind = Tok::Directive;
      t.text = std::string(text.substr(i, end - i));
      while (!t.text.empty() && (t.text.back() == '\r' || t.text.back() == ' ')) t.text.pop_back();
      i = end;
    } else if (IsIdentStart(c)) {
      std::size_t start = i;
      while (i < text.size() && (IsIdentStart(text[i]) || IsDigit(text[i]))) ++i;
      t.kind = Tok::Ident;
      t.text = std::string(text.substr(start, i - start));
    } else if (IsDigit(c) || ((c == '-' || c == '.') && i + 1 < text.size() && (IsDigit(text[i + 1]) || text[i + 1] == '.'))) {
      std::size_t start = i++;
      while (i < text.size() && (IsDigit(text[i]) || text[i] == '.' || text[i] == 'e' || text[i] == 'E' ||
                                 ((text[i] == '-' || text[i] == '+') && (text[i - 1] == 'e' || text[i - 1] == 'E')))) {
        ++i;
      }
      t.kind = Tok::Number;
      t.text = std::string(text.substr(start, i - start));
    } else if (c == '"') {
      t.kind = Tok::String;
      ++i;
      while (true) {
        if (i >= text.size() || text[i] == '\n') {
          error = Located(file, line, "string not closed on its line");
          return false;
        }
        if (text[i] == '"') break;
        if (text[i] == '\\') {
          char e = i + 1 < text.size() ? text[i + 1] : '\0';
          if (e == 'n') t.text.push_back('\n');
          else if (e == 't') t.text.push_back('\t');
          else if (e == '"' || e == '\\') t.text.push_back(e);
          else {
            error = Located(file, line, std::string("unknown escape '\\") + e + "' in a string");
            return false;
          }
          i += 2;
          continue;
        }
        t.text.push_back(text[i++]);
      }
      ++i;
    } else if (c == '{' || c == '}' || c == ';' || c == '=' || c == ',') {
      t.kind = Tok::Punct;
      t.text = std::string(1, c);
      ++i;
    } else {
      error = Located(file, line, std::string("unexpected character '") + c + "'");
      return false;
    }
    lineStart = false;
    out.push_back(std::move(t));
  }
  out.push_back(Token{Tok::End, "", line});
  return true;
}

// A position in a token list with the error of the file being parsed.
struct Cursor {
  const std::string& file;
  const std::vector<Token>& tokens;
  std::string& error;
  std::size_t pos = 0;

  const Token& Peek() const { return tokens[pos]; }
  const Token& Next() { return tokens[pos < tokens.size() - 1 ? pos++ : pos]; }
  bool At(std::string_view text) const { return Peek().kind != Tok::String && Peek().text == text; }

  bool Fail(int line, const std::string& what) {
    error = Located(file, line, what);
    return false;
  }
  std::string Describe(const Token& t) const {
    if (t.kind == Tok::End) return "the end of the file";
    if (t.kind == Tok::String) return "a string";
    return "'" + t.text + "'";
  }
  bool Expect(std::string_view text, std::string_view where) {
    if (At(text)) {
      Next();
      return true;
    }
    return Fail(Peek().line, "expected '" + std::string(text) + "' " + std::string(where) + ", found " + Describe(Peek()));
  }
  bool ExpectIdent(std::string& out, std::string_view what) {
    if (Peek().kind != Tok::Ident) return Fail(Peek().line, "expected " + std::string(what) + ", found " + Describe(Peek()));
    out = Next().text;
    return true;
  }
};

bool ToInt32(const std::string& text, std::int32_t& out) {
  std::int64_t v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size()) return false;
  if (v < INT32_MIN || v > INT32_MAX) return false;
  out = static_cast<std::int32_t>(v);
  return true;
}

bool ToDouble(const std::string& text, double& out) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

bool ParseSymbolHeader(const std::string& file, std::string_view text, std::vector<HeaderSymbol>& out,
                       std::string& error) {
  std::vector<Token> tokens;
  if (!Tokenize(file, text, true, tokens, error)) return false;
  Cursor in{file, tokens, error};
  while (in.Peek().kind != Tok::End) {
    if (in.Peek().kind == Tok::Directive) {
      const std::string& d = in.Peek().text;
      if (d.rfind("#ifndef ", 0) != 0 && d.rfind("#define ", 0) != 0 && d != "#endif" && d != "#pragma once") {
        return in.Fail(in.Peek().line, "unsupported preprocessor line \"" + d + "\"");
      }
      in.Next();
      continue;
    }
    if (!in.Expect("enum", "(only enums of ids belong in a symbol header)") || !in.Expect("{", "after 'enum'")) return false;
    while (!in.At("}")) {
      HeaderSymbol s;
      s.line = in.Peek().line;
      if (!in.ExpectIdent(s.name, "a symbol name") || !in.Expect("=", "after " + s.name)) return false;
      if (in.Peek().kind != Tok::Number || !ToInt32(in.Peek().text, s.value)) {
        return in.Fail(in.Peek().line, "expected a 32-bit integer value for " + s.name + ", found " + in.Describe(in.Peek()));
      }
      in.Next();
      for (const HeaderSymbol& other : out) {
        if (other.name == s.name) return in.Fail(s.line, s.name + " is defined twice (first at line " + std::to_string(other.line) + ")");
        if (other.value == s.value) return in.Fail(s.line, s.name + " has the value " + std::to_string(s.value) + " of " + other.name);
      }
      out.push_back(s);
      if (in.At(",")) {
        in.Next();
      } else if (!in.At("}")) {
        return in.Fail(in.Peek().line, "expected ',' or '}' after the value of " + s.name + ", found " + in.Describe(in.Peek()));
      }
    }
    in.Next();
    if (!in.Expect(";", "after the enum")) return false;
  }
  return true;
}

bool ParseStringTable(const std::string& file, std::string_view text, bool named, std::string& name,
                      std::vector<ResourceLabel>& out, std::string& error) {
  std::vector<Token> tokens;
  if (!Tokenize(file, text, false, tokens, error)) return false;
  Cursor in{file, tokens, error};
  name.clear();
  if (!in.Expect("STRINGTABLE", "at the start of a string table")) return false;
  if (named && !in.ExpectIdent(name, "the description name after STRINGTABLE")) return false;
  if (!in.Expect("{", named ? "after the table name" : "after STRINGTABLE")) return false;
  while (!in.At("}")) {
    ResourceLabel label;
    label.line = in.Peek().line;
    if (!in.ExpectIdent(label.symbol, "a symbol or '}'")) return false;
    if (in.Peek().kind != Tok::String) return in.Fail(in.Peek().line, "expected the text of " + label.symbol + ", found " + in.Describe(in.Peek()));
    while (in.Peek().kind == Tok::String) label.text += in.Next().text;
    if (!in.Expect(";", "after the text of " + label.symbol)) return false;
    for (const ResourceLabel& other : out) {
      if (other.symbol == label.symbol) {
        return in.Fail(label.line, label.symbol + " has a text twice (first at line " + std::to_string(other.line) + ")");
      }
    }
    out.push_back(std::move(label));
  }
  in.Next();
  if (in.Peek().kind != Tok::End) return in.Fail(in.Peek().line, "unexpected " + in.Describe(in.Peek()) + " after the string table");
  return true;
}

namespace {

// The description parser's state: the cursor, the symbol lookup and the ids taken so far.
struct DescParser {
  Cursor in;
  const SymbolLookup& lookup;
  Description& desc;
  std::set<std::int32_t> ids;

  bool Resolve(const Token& t, std::int32_t& value) {
    std::optional<std::int32_t> v = lookup(t.text);
    if (!v) return in.Fail(t.line, "unknown symbol " + t.text);
    value = *v;
    return true;
  }

  bool TakeId(std::int32_t id, const Token& t) {
    if (!ids.insert(id).second) return in.Fail(t.line, t.text + " (id " + std::to_string(id) + ") appears twice in the description");
    return true;
  }

  bool Number(DescParameter& p, std::optional<double>& slot, const char* what) {
    const Token& t = in.Peek();
    if (slot) return in.Fail(t.line, std::string(what) + " given twice for " + p.symbol);
    double v = 0;
    std::int32_t iv = 0;
    bool ok = p.type == ParamType::Long ? ToInt32(t.text, iv) : ToDouble(t.text, v);
    if (t.kind != Tok::Number || !ok) {
      return in.Fail(t.line, std::string("expected ") + (p.type == ParamType::Long ? "an integer" : "a number") +
                                 " after " + what + ", found " + in.Describe(t));
    }
    slot = p.type == ParamType::Long ? iv : v;
    in.Next();
    return in.Expect(";", std::string("after the ") + what + " value");
  }

  bool SymbolList(const char* what, DescParameter& p) {
    if (!in.Expect("{", std::string("after ") + what)) return false;
    while (!in.At("}")) {
      const Token& t = in.Peek();
      std::int32_t value = 0;
      std::string name;
      if (!in.ExpectIdent(name, std::string("a symbol in ") + what) || !Resolve(t, value) ||
          !in.Expect(";", "after " + name)) {
        return false;
      }
      if (std::string_view(what) == "CYCLE") {
        for (const CycleEntry& e : p.cycle) {
          if (e.value == value) return in.Fail(t.line, name + " has the value of " + e.symbol + " in the same CYCLE");
        }
        p.cycle.push_back(CycleEntry{value, name, "", t.line});
      } else {
        p.accept.push_back(value);
      }
    }
    in.Next();
    if (p.cycle.empty() && p.accept.empty()) return in.Fail(in.Peek().line, std::string(what) + " of " + p.symbol + " is empty");
    return true;
  }

  bool Property(DescParameter& p) {
    const Token& t = in.Peek();
    bool numeric = p.type == ParamType::Real || p.type == ParamType::Long;
    if (t.text == "UNIT" && p.type == ParamType::Real) {
      in.Next();
      if (p.unit != ParamUnit::None) return in.Fail(t.line, "UNIT given twice for " + p.symbol);
      const std::string& u = in.Peek().text;
      for (ParamUnit unit : {ParamUnit::Real, ParamUnit::Meter, ParamUnit::Percent, ParamUnit::Degree}) {
        if (u == ParamUnitName(unit)) p.unit = unit;
      }
      if (p.unit == ParamUnit::None) return in.Fail(in.Peek().line, "unknown unit " + in.Describe(in.Peek()) + " (REAL, METER, PERCENT or DEGREE)");
      in.Next();
      return in.Expect(";", "after the unit");
    }
    std::optional<double>* slot = !numeric          ? nullptr
                                  : t.text == "MIN"  ? &p.min
                                  : t.text == "MAX"  ? &p.max
                                  : t.text == "STEP" ? &p.step
                                                     : nullptr;
    bool list = (t.text == "CYCLE" && p.type == ParamType::Long && p.cycle.empty()) ||
                (t.text == "ACCEPT" && p.type == ParamType::Link && p.accept.empty());
    if (!slot && !list) {
      return in.Fail(t.line, in.Describe(t) + " is not a property of the " + ParamTypeName(p.type) + " " + p.symbol);
    }
    std::string what = in.Next().text;
    return slot ? Number(p, *slot, what.c_str()) : SymbolList(what.c_str(), p);
  }

  bool Element(ParamType type, const std::string& group) {
    in.Next();
    DescParameter p;
    p.type = type;
    p.group = group;
    p.line = in.Peek().line;
    const Token& name = in.Peek();
    if (!in.ExpectIdent(p.symbol, std::string("a parameter symbol after ") + ParamTypeName(type)) ||
        !Resolve(name, p.id) || !TakeId(p.id, name) || !in.Expect("{", "after " + p.symbol)) {
      return false;
    }
    while (!in.At("}")) {
      if (in.Peek().kind == Tok::End) return in.Fail(in.Peek().line, "the file ends inside " + p.symbol);
      if (!Property(p)) return false;
    }
    in.Next();
    if (p.min && p.max && *p.min > *p.max) return in.Fail(p.line, "MIN of " + p.symbol + " is above its MAX");
    if (p.step && *p.step <= 0) return in.Fail(p.line, "STEP of " + p.symbol + " is not positive");
    desc.parameters.push_back(std::move(p));
    return true;
  }

  bool Items(const std::string& group) {
    while (!in.At("}")) {
      const Token& t = in.Peek();
      if (t.kind == Tok::End) return in.Fail(t.line, "the file ends inside " + (group.empty() ? desc.name : group));
      if (t.kind == Tok::Ident && t.text == "GROUP") {
        if (!Group(group)) return false;
        continue;
      }
      std::optional<ParamType> type;
      for (ParamType candidate : {ParamType::Real, ParamType::Long, ParamType::Bool, ParamType::String,
                                  ParamType::Button, ParamType::Link}) {
        if (t.kind == Tok::Ident && t.text == ParamTypeName(candidate)) type = candidate;
      }
      if (!type) return in.Fail(t.line, "expected GROUP, a parameter type or '}', found " + in.Describe(t));
      if (!Element(*type, group)) return false;
    }
    in.Next();
    return true;
  }

  bool Group(const std::string& parent) {
    in.Next();
    DescGroup g;
    g.parent = parent;
    g.line = in.Peek().line;
    const Token& name = in.Peek();
    if (!in.ExpectIdent(g.symbol, "a group symbol after GROUP") || !Resolve(name, g.id) || !TakeId(g.id, name) ||
        !in.Expect("{", "after " + g.symbol)) {
      return false;
    }
    std::string symbol = g.symbol;
    desc.groups.push_back(std::move(g));
    return Items(symbol);
  }
};

}  // namespace

bool ParseDescription(const std::string& file, std::string_view text, const SymbolLookup& lookup,
                      Description& desc, std::string& error) {
  std::vector<Token> tokens;
  error.clear();
  if (!Tokenize(file, text, false, tokens, error)) return false;
  DescParser p{Cursor{file, tokens, error}, lookup, desc, {}};
  Cursor& in = p.in;
  if (!in.Expect("CONTAINER", "at the start of a description")) return false;
  const Token& name = in.Peek();
  if (!in.ExpectIdent(desc.name, "the description name after CONTAINER") || !p.Resolve(name, desc.id) ||
      !in.Expect("{", "after " + desc.name) || !in.Expect("NAME", "first in " + desc.name)) {
    return false;
  }
  const Token& label = in.Peek();
  std::string nameSymbol;
  if (!in.ExpectIdent(nameSymbol, "the name symbol after NAME")) return false;
  if (nameSymbol != desc.name) return in.Fail(label.line, "NAME " + nameSymbol + " does not match CONTAINER " + desc.name);
  if (!in.Expect(";", "after NAME " + nameSymbol) || !p.Items("")) return false;
  if (in.Peek().kind != Tok::End) return in.Fail(in.Peek().line, "unexpected " + in.Describe(in.Peek()) + " after the description");
  return true;
}

}  // namespace kvhost
