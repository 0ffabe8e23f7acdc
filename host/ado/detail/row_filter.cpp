#include "host/ado/detail/row_filter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <functional>

#include "host/ado/detail/ado_error.h"

namespace vant::host::ado {
namespace {

constexpr int kMaxDepth = 32;

char16_t Fold(char16_t c) {
  if (c < 0x80) return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
  return static_cast<char16_t>(std::towlower(static_cast<wint_t>(c)));
}

int CompareText(std::u16string_view a, std::u16string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t x = Fold(a[i]);
    const char16_t y = Fold(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::u16string Folded(std::u16string_view text) {
  std::u16string folded(text);
  for (char16_t& c : folded) c = Fold(c);
  return folded;
}

bool IsWildcard(char16_t c) { return c == u'*' || c == u'%'; }

// `*` and `%` match any run of characters; letter case is ignored. The
// literal pieces between wildcards are found leftmost-first with a
// Boyer-Moore search, which is exact for this pattern language and keeps
// the work linear in text and pattern, whatever a hostile pattern holds.
bool Like(std::u16string_view givenText, std::u16string_view givenPattern) {
  const std::u16string text = Folded(givenText);
  const std::u16string pattern = Folded(givenPattern);
  std::vector<std::u16string_view> pieces;
  std::size_t begin = 0;
  for (std::size_t i = 0; i <= pattern.size(); ++i) {
    if (i == pattern.size() || IsWildcard(pattern[i])) {
      pieces.push_back(std::u16string_view(pattern).substr(begin, i - begin));
      begin = i + 1;
    }
  }
  std::u16string_view rest = text;
  if (pieces.size() == 1) return rest == pieces[0];
  // The first piece anchors at the start, the last at the end.
  if (!rest.starts_with(pieces.front())) return false;
  rest.remove_prefix(pieces.front().size());
  if (rest.size() < pieces.back().size() || !rest.ends_with(pieces.back())) return false;
  rest.remove_suffix(pieces.back().size());
  for (std::size_t i = 1; i + 1 < pieces.size(); ++i) {
    if (pieces[i].empty()) continue;
    const auto found = std::search(rest.begin(), rest.end(),
                                   std::boyer_moore_searcher(pieces[i].begin(), pieces[i].end()));
    if (found == rest.end()) return false;
    rest.remove_prefix(static_cast<std::size_t>(found - rest.begin()) + pieces[i].size());
  }
  return true;
}

bool ParseNumber(std::u16string_view text, double* out) {
  if (text.empty() || text.size() > 64) return false;
  std::string ascii;
  for (char16_t c : text) {
    if (c > 0x7F) return false;
    ascii.push_back(static_cast<char>(c));
  }
  char* end = nullptr;
  *out = std::strtod(ascii.c_str(), &end);
  return end == ascii.c_str() + ascii.size() && std::isfinite(*out);
}

// A cell as a number or a text; false for Null and values left in the
// database.
bool CellValue(const Cell& cell, bool* numeric, double* number, std::u16string_view* text) {
  switch (cell.kind) {
    case Cell::Kind::kInteger:
    case Cell::Kind::kBoolean:
      *numeric = true;
      *number = static_cast<double>(cell.integer);
      return true;
    case Cell::Kind::kReal:
    case Cell::Kind::kDate:
      *numeric = true;
      *number = cell.real;
      return true;
    case Cell::Kind::kText:
      *numeric = false;
      *text = cell.text;
      return true;
    default:
      return false;
  }
}

std::u16string NumberText(double number) {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", number);
  return Utf8ToUtf16(text);
}

bool Holds(int order, Clause::Op op) {
  switch (op) {
    case Clause::Op::kEq:
      return order == 0;
    case Clause::Op::kNe:
      return order != 0;
    case Clause::Op::kLt:
      return order < 0;
    case Clause::Op::kGt:
      return order > 0;
    case Clause::Op::kLe:
      return order <= 0;
    case Clause::Op::kGe:
      return order >= 0;
    case Clause::Op::kLike:
      return false;
  }
  return false;
}

bool ClauseMatches(const Clause& clause, const Row& row) {
  const Cell& cell = row.cells[clause.column];
  bool numeric = false;
  double number = 0;
  std::u16string_view text;
  const bool present = CellValue(cell, &numeric, &number, &text);
  if (clause.value.kind == Literal::Kind::kNull) {
    const bool isNull = cell.kind == Cell::Kind::kNull;
    return clause.op == Clause::Op::kEq ? isNull : !isNull;
  }
  if (!present) return false;
  const Literal& value = clause.value;
  std::u16string numberText;
  if (numeric) {
    double given = value.number;
    if (value.kind == Literal::Kind::kNumber || ParseNumber(value.text, &given)) {
      if (clause.op != Clause::Op::kLike) {
        return Holds(number < given ? -1 : (number > given ? 1 : 0), clause.op);
      }
    }
    numberText = NumberText(number);
    text = numberText;
  }
  const std::u16string literalText =
      value.kind == Literal::Kind::kText ? value.text : NumberText(value.number);
  if (clause.op == Clause::Op::kLike) return Like(text, literalText);
  return Holds(CompareText(text, literalText), clause.op);
}

class CriteriaParser {
 public:
  CriteriaParser(std::u16string_view text, const std::vector<ColumnInfo>& columns)
      : text_(text), columns_(columns) {}

  Outcome Parse(Criteria* out) {
    if (Outcome parsed = ParseOr(out, 0); !parsed.ok()) return parsed;
    SkipBlanks();
    return at_ == text_.size() ? Outcome::Ok() : BadArgumentFailure();
  }

 private:
  void SkipBlanks() {
    while (at_ < text_.size() && (text_[at_] == u' ' || text_[at_] == u'\t' ||
                                  text_[at_] == u'\r' || text_[at_] == u'\n')) {
      ++at_;
    }
  }
  bool IsWordEnd(std::size_t at) const {
    return at >= text_.size() || text_[at] == u' ' || text_[at] == u'(' || text_[at] == u')' ||
           text_[at] == u'\t' || text_[at] == u'\'' || text_[at] == u'#';
  }
  // Consumes the keyword `word` (lower case) when it comes next.
  bool Keyword(std::u16string_view word) {
    SkipBlanks();
    if (text_.size() - at_ < word.size() || !IsWordEnd(at_ + word.size())) return false;
    if (CompareText(text_.substr(at_, word.size()), word) != 0) return false;
    at_ += word.size();
    return true;
  }

  Outcome ParseOr(Criteria* out, int depth) {
    return ParseList(out, depth, Criteria::Kind::kOr, u"or");
  }
  Outcome ParseAnd(Criteria* out, int depth) {
    return ParseList(out, depth, Criteria::Kind::kAnd, u"and");
  }
  Outcome ParseList(Criteria* out, int depth, Criteria::Kind kind, std::u16string_view word) {
    Criteria first;
    Outcome parsed =
        kind == Criteria::Kind::kOr ? ParseAnd(&first, depth) : ParsePrimary(&first, depth);
    if (!parsed.ok()) return parsed;
    if (!Keyword(word)) {
      *out = std::move(first);
      return Outcome::Ok();
    }
    out->kind = kind;
    out->parts.push_back(std::move(first));
    do {
      Criteria next;
      parsed = kind == Criteria::Kind::kOr ? ParseAnd(&next, depth) : ParsePrimary(&next, depth);
      if (!parsed.ok()) return parsed;
      out->parts.push_back(std::move(next));
    } while (Keyword(word));
    return Outcome::Ok();
  }
  Outcome ParsePrimary(Criteria* out, int depth) {
    SkipBlanks();
    if (at_ < text_.size() && text_[at_] == u'(') {
      if (depth >= kMaxDepth) return BadArgumentFailure();
      ++at_;
      if (Outcome inner = ParseOr(out, depth + 1); !inner.ok()) return inner;
      SkipBlanks();
      if (at_ >= text_.size() || text_[at_] != u')') return BadArgumentFailure();
      ++at_;
      return Outcome::Ok();
    }
    out->kind = Criteria::Kind::kClause;
    return ParseClause(&out->clause);
  }

  Outcome ParseClause(Clause* clause) {
    std::u16string name;
    if (Outcome field = ParseField(&name); !field.ok()) return field;
    if (Outcome found = Column(name, &clause->column); !found.ok()) return found;
    if (Outcome op = ParseOperator(&clause->op); !op.ok()) return op;
    if (Outcome value = ParseValue(&clause->value); !value.ok()) return value;
    const bool isNull = clause->value.kind == Literal::Kind::kNull;
    if (isNull && clause->op != Clause::Op::kEq && clause->op != Clause::Op::kNe)
      return BadArgumentFailure();
    return Outcome::Ok();
  }
  Outcome ParseField(std::u16string* name) {
    SkipBlanks();
    if (at_ < text_.size() && text_[at_] == u'[') {
      const std::size_t close = text_.find(u']', at_ + 1);
      if (close == std::u16string_view::npos) return BadArgumentFailure();
      *name = text_.substr(at_ + 1, close - at_ - 1);
      at_ = close + 1;
      return Outcome::Ok();
    }
    const std::size_t begin = at_;
    while (at_ < text_.size() &&
           std::u16string_view(u" \t=<>!()'#").find(text_[at_]) == std::u16string_view::npos) {
      ++at_;
    }
    if (at_ == begin) return BadArgumentFailure();
    *name = text_.substr(begin, at_ - begin);
    return Outcome::Ok();
  }
  Outcome Column(std::u16string_view name, std::size_t* column) const {
    for (std::size_t c = 0; c < columns_.size(); ++c) {
      if (CompareText(columns_[c].name, name) == 0) {
        *column = c;
        return Outcome::Ok();
      }
    }
    return Outcome::Fail(kItemNotFound,
                         u"Item cannot be found in the collection corresponding to the requested "
                         u"name or ordinal: " +
                             std::u16string(name));
  }
  Outcome ParseOperator(Clause::Op* op) {
    SkipBlanks();
    static constexpr struct {
      std::u16string_view text;
      Clause::Op op;
    } kOperators[] = {{u"<=", Clause::Op::kLe}, {u">=", Clause::Op::kGe}, {u"<>", Clause::Op::kNe},
                      {u"!=", Clause::Op::kNe}, {u"=", Clause::Op::kEq},  {u"<", Clause::Op::kLt},
                      {u">", Clause::Op::kGt}};
    for (const auto& candidate : kOperators) {
      if (text_.substr(at_).starts_with(candidate.text)) {
        at_ += candidate.text.size();
        *op = candidate.op;
        return Outcome::Ok();
      }
    }
    if (Keyword(u"like")) {
      *op = Clause::Op::kLike;
      return Outcome::Ok();
    }
    return BadArgumentFailure();
  }
  Outcome ParseValue(Literal* value) {
    SkipBlanks();
    if (at_ >= text_.size()) return BadArgumentFailure();
    const char16_t open = text_[at_];
    if (open == u'\'' || open == u'#') return ParseQuoted(open, value);
    const std::size_t begin = at_;
    while (at_ < text_.size() && text_[at_] != u' ' && text_[at_] != u')' && text_[at_] != u'\t') {
      ++at_;
    }
    const std::u16string_view word = text_.substr(begin, at_ - begin);
    if (CompareText(word, u"null") == 0) {
      value->kind = Literal::Kind::kNull;
      return Outcome::Ok();
    }
    if (ParseNumber(word, &value->number)) {
      value->kind = Literal::Kind::kNumber;
      return Outcome::Ok();
    }
    return BadArgumentFailure();
  }
  Outcome ParseQuoted(char16_t quote, Literal* value) {
    value->kind = Literal::Kind::kText;
    for (++at_; at_ < text_.size(); ++at_) {
      if (text_[at_] != quote) {
        value->text.push_back(text_[at_]);
        continue;
      }
      if (quote == u'\'' && at_ + 1 < text_.size() && text_[at_ + 1] == quote) {
        value->text.push_back(quote);
        ++at_;
        continue;
      }
      ++at_;
      return Outcome::Ok();
    }
    return BadArgumentFailure();
  }

  std::u16string_view text_;
  const std::vector<ColumnInfo>& columns_;
  std::size_t at_ = 0;
};

int CompareCells(const Cell& a, const Cell& b) {
  bool aNumeric = false, bNumeric = false;
  double x = 0, y = 0;
  std::u16string_view s, t;
  const bool aHas = CellValue(a, &aNumeric, &x, &s);
  const bool bHas = CellValue(b, &bNumeric, &y, &t);
  if (!aHas || !bHas) return aHas == bHas ? 0 : (aHas ? 1 : -1);
  if (aNumeric && bNumeric) return x < y ? -1 : (x > y ? 1 : 0);
  if (aNumeric != bNumeric) return aNumeric ? -1 : 1;  // numbers before text
  return CompareText(s, t);
}

}  // namespace

Outcome ParseCriteria(std::u16string_view text, const std::vector<ColumnInfo>& columns,
                      Criteria* out) {
  *out = Criteria{};
  return CriteriaParser(text, columns).Parse(out);
}

bool Matches(const Criteria& criteria, const Row& row) {
  switch (criteria.kind) {
    case Criteria::Kind::kClause:
      return ClauseMatches(criteria.clause, row);
    case Criteria::Kind::kAnd:
      for (const Criteria& part : criteria.parts) {
        if (!Matches(part, row)) return false;
      }
      return true;
    case Criteria::Kind::kOr:
      for (const Criteria& part : criteria.parts) {
        if (Matches(part, row)) return true;
      }
      return false;
  }
  return false;
}

Outcome ParseSort(std::u16string_view text, const std::vector<ColumnInfo>& columns,
                  std::vector<SortKey>* out) {
  out->clear();
  if (text.find_first_not_of(u" \t") == std::u16string_view::npos) return Outcome::Ok();
  for (std::size_t at = 0; at <= text.size();) {
    std::size_t end = text.find(u',', at);
    if (end == std::u16string_view::npos) end = text.size();
    std::u16string_view part = text.substr(at, end - at);
    at = end + 1;
    while (!part.empty() && (part.front() == u' ' || part.front() == u'\t')) part.remove_prefix(1);
    while (!part.empty() && (part.back() == u' ' || part.back() == u'\t')) part.remove_suffix(1);
    if (part.empty()) return BadArgumentFailure();
    SortKey key;
    const std::size_t blank = part.find_last_of(u" \t");
    if (blank != std::u16string_view::npos && part.back() != u']') {
      const std::u16string_view word = part.substr(blank + 1);
      if (CompareText(word, u"desc") != 0 && CompareText(word, u"asc") != 0)
        return BadArgumentFailure();
      key.descending = CompareText(word, u"desc") == 0;
      part = part.substr(0, blank);
      while (!part.empty() && (part.back() == u' ' || part.back() == u'\t')) part.remove_suffix(1);
    }
    if (part.size() >= 2 && part.front() == u'[' && part.back() == u']') {
      part = part.substr(1, part.size() - 2);
    }
    bool found = false;
    for (std::size_t c = 0; c < columns.size() && !found; ++c) {
      if (CompareText(columns[c].name, part) == 0) {
        key.column = c;
        found = true;
      }
    }
    if (!found) {
      return Outcome::Fail(kItemNotFound,
                           u"Item cannot be found in the collection corresponding to the "
                           u"requested name or ordinal: " +
                               std::u16string(part));
    }
    out->push_back(key);
  }
  return Outcome::Ok();
}

int CompareRows(const Row& a, const Row& b, const std::vector<SortKey>& keys) {
  for (const SortKey& key : keys) {
    const int order = CompareCells(a.cells[key.column], b.cells[key.column]);
    if (order != 0) return key.descending ? -order : order;
  }
  return 0;
}

}  // namespace vant::host::ado
