#include "variables/formula_compiler.h"

#include <algorithm>
#include <charconv>
#include <iterator>

namespace qx {

namespace {

bool isOperator(char c) { return kFormulaOperators.find(c) != std::string_view::npos; }

// The number at the start of a constant buffer: leading blanks skipped,
// reading stops at the first character that is not part of a number, and a
// text with no number gives 0. Independent of the process locale.
double convertConstant(const char* buffer, int length) {
  const char* first = buffer;
  const char* last = buffer + length;
  while (first != last && *first == ' ') ++first;
  double value = 0.0;
  const auto result = std::from_chars(first, last, value);
  return result.ec == std::errc() ? value : 0.0;
}

}  // namespace

FormulaCompileResult compileFormula(std::string_view code) {
  FormulaCompileResult r;
  CompiledFormula& block = r.block;
  block.code.fill('\0');
  block.constants.fill(0.0);
  block.status = 0;

  int length = 0;  // compiled bytes so far
  char previous = '#';
  char buffer[kMaxConstantChars];
  int bufferPos = 0;
  int constant = -1;  // the current constant, -1 before the first

  auto fail = [&r](FormulaError error, int position) {
    r.block.status = -1;
    r.error = error;
    r.errorPosition = position;
    return r;
  };
  auto resetBuffer = [&] {
    std::fill(std::begin(buffer), std::end(buffer), ' ');
    bufferPos = 0;
  };
  resetBuffer();

  for (int p = 0; p < static_cast<int>(code.size()); ++p) {
    const char c = code[p];
    if (c == ' ') continue;
    const int byte = static_cast<unsigned char>(c);
    if (byte > 127) return fail(FormulaError::VariableOutOfRange, p);

    if (byte >= 'a') {
      if (!isOperator(previous)) return fail(FormulaError::Syntax, p);
      if (length == kMaxFormulaElements) return fail(FormulaError::TooManyElements, p);
      block.code[length++] = c;
    } else if (isConstantChar(c)) {
      const bool continues = (previous >= '0' && previous <= '9') || previous == '.' || c == '-';
      if (!continues) {
        if (!isOperator(previous)) return fail(FormulaError::Syntax, p);
        if (constant + 1 == CompiledFormula::kConstants) return fail(FormulaError::TooManyConstants, p);
        if (length == kMaxFormulaElements) return fail(FormulaError::TooManyElements, p);
        if (constant >= 0) {
          block.constants[constant] = convertConstant(buffer, kMaxConstantChars);
          resetBuffer();
        }
        ++constant;
        block.code[length++] = static_cast<char>('0' + constant);
      }
      if (bufferPos == kMaxConstantChars) return fail(FormulaError::ConstantTooLong, p);
      buffer[bufferPos++] = c;
    } else {
      if (length == kMaxFormulaElements) return fail(FormulaError::TooManyElements, p);
      block.code[length++] = c;
    }
    previous = c;
  }
  if (constant >= 0) block.constants[constant] = convertConstant(buffer, kMaxConstantChars);
  if (!isOperator(previous)) return fail(FormulaError::Syntax, static_cast<int>(code.size()));
  return r;
}

int misplacedSpecialField(std::string_view code) {
  char previous = '#';
  for (int p = 0; p < static_cast<int>(code.size()); ++p) {
    const char c = code[p];
    if (c == ' ') continue;
    if ((c == 'S' || c == 'T' || c == 'V') && !isOperator(previous)) return p;
    previous = c;
  }
  return -1;
}

std::vector<FormulaToken> formulaTokens(std::string_view code, const std::vector<std::string>& names) {
  std::vector<FormulaToken> tokens;
  for (std::size_t p = 0; p < code.size();) {
    const char c = code[p];
    const int position = static_cast<int>(p);
    if (isConstantChar(c)) {
      std::size_t end = p;
      while (end < code.size() && isConstantChar(code[end])) ++end;
      tokens.push_back({std::string(code.substr(p, end - p)), position});
      p = end;
      continue;
    }
    std::string text;
    switch (c) {
      case '[': text = "<="; break;
      case '_': text = "-"; break;
      case '#': text = "ENTER"; break;
      case ']': text = ">="; break;
      case '!': text = "<>"; break;
      case '$': text = "CHS"; break;
      case 'S': text = "Surface"; break;
      case 'T': text = "Tonnage"; break;
      case 'V': text = "Volume"; break;
      default: {
        const int number = formulaVariableNumber(c);
        if (number >= 0 && number < static_cast<int>(names.size()))
          text = names[number];
        else
          text = std::string(1, c);
      }
    }
    tokens.push_back({std::move(text), position});
    ++p;
  }
  return tokens;
}

std::string joinFormulaTokens(const std::vector<std::string>& tokens) {
  std::string text;
  for (const auto& t : tokens) {
    text += t;
    text += "  ";
  }
  return text;
}

std::string formulaTextFromCode(std::string_view code, const std::vector<std::string>& names) {
  std::string text;
  for (const auto& t : formulaTokens(code, names)) {
    text += t.text;
    text += "  ";
  }
  return text;
}

std::optional<std::string> formulaCodeFromText(std::string_view text, const std::vector<std::string>& names,
                                               std::string* bad) {
  static constexpr std::pair<std::string_view, char> kWords[] = {
      {"+", '+'},     {"-", '_'},       {"*", '*'},       {"/", '/'},     {"^", '^'},  {"<", '<'},
      {"<=", '['},    {">", '>'},       {">=", ']'},      {"=", '='},     {"<>", '!'}, {"CHS", '$'},
      {"ENTER", '#'}, {"Surface", 'S'}, {"Tonnage", 'T'}, {"Volume", 'V'}};
  std::string code;
  bool lastWasNumber = false;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ' || text[i] == '\t') {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < text.size() && text[j] != ' ' && text[j] != '\t') ++j;
    const std::string_view token = text.substr(i, j - i);
    i = j;
    bool done = false;
    for (const auto& [word, c] : kWords)
      if (token == word) {
        code += c;
        lastWasNumber = false;
        done = true;
        break;
      }
    if (done) continue;
    for (std::size_t k = 0; k < names.size() && !done; ++k)
      if (names[k] == token && k < 128 - 'a') {
        code += static_cast<char>('a' + k);
        lastWasNumber = false;
        done = true;
      }
    if (done) continue;
    const bool number = std::all_of(token.begin(), token.end(), [](char c) { return isConstantChar(c); }) &&
                        std::any_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
                        token.find('-', 1) == std::string_view::npos;
    if (!number) {
      if (bad != nullptr) *bad = "\"" + std::string(token) + "\" is no operator, number or variable defined before";
      return std::nullopt;
    }
    if (lastWasNumber) {
      // The code cannot hold two numbers in a row: they would read as one.
      if (bad != nullptr)
        *bad = "\"" + std::string(token) + "\" follows a number: two operands need ENTER between them";
      return std::nullopt;
    }
    code += token;
    lastWasNumber = true;
  }
  return code;
}

}  // namespace qx
