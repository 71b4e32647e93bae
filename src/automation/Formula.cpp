#include "automation/Formula.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>

namespace {

const std::u16string ERROR_VALUE = u"#VALUE!";
const std::u16string ERROR_DIV_ZERO = u"#DIV/0!";
const std::u16string ERROR_NUM = u"#NUM!";
const std::u16string ERROR_NAME = u"#NAME?";
const std::u16string ERROR_REF = u"#REF!";
const std::u16string ERROR_NA = u"#N/A";
const std::u16string ERROR_NULL = u"#NULL!";

constexpr int32_t MAX_ROW = 1048576;
constexpr int32_t MAX_COLUMN = 16384;
// Deeper nesting than this is refused rather than risking the stack.
constexpr int MAX_DEPTH = 100;
// Passes of RecalculateFormulas before it gives up on a circular reference.
constexpr int MAX_PASSES = 64;

struct Value {
    enum class Kind { Empty, Number, Text, Error };
    Kind kind = Kind::Empty;
    double number = 0;
    std::u16string text;  // Text: the text; Error: the error value

    static Value Number(double n)
    {
        Value v;
        v.kind = Kind::Number;
        v.number = n;
        return v;
    }
    static Value Error(const std::u16string& code)
    {
        Value v;
        v.kind = Kind::Error;
        v.text = code;
        return v;
    }
};

Value ValueOfCell(const Worksheet& sheet, int32_t column, int32_t row)
{
    const Cell* cell = sheet.Find(column, row);
    Value v;
    if (!cell)
        return v;
    switch (cell->kind) {
    case Cell::Kind::Empty:
        return v;
    case Cell::Kind::Number:
        return Value::Number(cell->number);
    case Cell::Kind::Text:
        v.kind = Value::Kind::Text;
        v.text = cell->text;
        return v;
    case Cell::Kind::Formula:
        if (!cell->resultIsText)
            return Value::Number(cell->resultNumber);
        if (IsErrorText(cell->resultText))
            return Value::Error(cell->resultText);
        v.kind = Value::Kind::Text;
        v.text = cell->resultText;
        return v;
    }
    return v;
}

// A number for arithmetic: empty is 0, text is "#VALUE!", errors stay.
Value AsOperand(const Value& v)
{
    switch (v.kind) {
    case Value::Kind::Empty:
        return Value::Number(0);
    case Value::Kind::Number:
    case Value::Kind::Error:
        return v;
    case Value::Kind::Text:
        return Value::Error(ERROR_VALUE);
    }
    return v;
}

Value Checked(double n)
{
    if (!std::isfinite(n))
        return Value::Error(ERROR_NUM);
    return Value::Number(n);
}

// A recursive-descent parser that evaluates as it reads. Any syntax it does not
// know sets m_unsupported; the caller then keeps the cell's result.
class Evaluator {
public:
    Evaluator(const std::u16string& text, const Worksheet& sheet) : m_text(text), m_sheet(sheet) {}

    bool Run(Value& result)
    {
        m_pos = 0;
        if (!Accept(u'='))
            return false;
        result = Expression(0);
        SkipSpaces();
        return !m_unsupported && m_pos == m_text.size();
    }

private:
    const std::u16string& m_text;
    const Worksheet& m_sheet;
    std::size_t m_pos = 0;
    bool m_unsupported = false;

    char16_t Peek() const { return m_pos < m_text.size() ? m_text[m_pos] : u'\0'; }

    void SkipSpaces()
    {
        while (m_pos < m_text.size() && (m_text[m_pos] == u' ' || m_text[m_pos] == u'\t'))
            ++m_pos;
    }

    bool Accept(char16_t c)
    {
        SkipSpaces();
        if (Peek() == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    Value Fail()
    {
        m_unsupported = true;
        return Value::Error(ERROR_NAME);
    }

    Value Expression(int depth)
    {
        if (depth > MAX_DEPTH)
            return Fail();
        Value left = Term(depth);
        for (;;) {
            if (m_unsupported)
                return left;
            bool plus;
            if (Accept(u'+'))
                plus = true;
            else if (Accept(u'-'))
                plus = false;
            else
                return left;
            const Value right = Term(depth);
            left = Combine(left, right, plus ? u'+' : u'-');
        }
    }

    Value Term(int depth)
    {
        Value left = Unary(depth);
        for (;;) {
            if (m_unsupported)
                return left;
            char16_t op;
            if (Accept(u'*'))
                op = u'*';
            else if (Accept(u'/'))
                op = u'/';
            else
                return left;
            const Value right = Unary(depth);
            left = Combine(left, right, op);
        }
    }

    static Value Combine(const Value& leftValue, const Value& rightValue, char16_t op)
    {
        const Value left = AsOperand(leftValue);
        if (left.kind == Value::Kind::Error)
            return left;
        const Value right = AsOperand(rightValue);
        if (right.kind == Value::Kind::Error)
            return right;
        switch (op) {
        case u'+':
            return Checked(left.number + right.number);
        case u'-':
            return Checked(left.number - right.number);
        case u'*':
            return Checked(left.number * right.number);
        default:
            if (right.number == 0)
                return Value::Error(ERROR_DIV_ZERO);
            return Checked(left.number / right.number);
        }
    }

    Value Unary(int depth)
    {
        if (depth > MAX_DEPTH)
            return Fail();
        if (Accept(u'-')) {
            const Value v = AsOperand(Unary(depth + 1));
            if (v.kind == Value::Kind::Error)
                return v;
            return Value::Number(-v.number);
        }
        if (Accept(u'+'))
            return Unary(depth + 1);
        return Primary(depth);
    }

    Value Primary(int depth)
    {
        SkipSpaces();
        const char16_t c = Peek();
        if (c == u'(') {
            ++m_pos;
            const Value v = Expression(depth + 1);
            if (!Accept(u')'))
                return Fail();
            return v;
        }
        if ((c >= u'0' && c <= u'9') || c == u'.')
            return NumberLiteral();
        if (IsLetter(c) || c == u'$') {
            const std::size_t start = m_pos;
            // A function name is letters followed by "(".
            std::size_t end = m_pos;
            while (end < m_text.size() && IsLetter(m_text[end]))
                ++end;
            std::size_t afterName = end;
            while (afterName < m_text.size() && m_text[afterName] == u' ')
                ++afterName;
            if (end > start && afterName < m_text.size() && m_text[afterName] == u'(') {
                if (!IsName(start, end, u"SUM"))
                    return Fail();
                m_pos = afterName + 1;
                return Sum(depth);
            }
            int32_t column = 0, row = 0;
            if (!Reference(column, row))
                return Fail();
            SkipSpaces();
            if (Peek() == u':')
                return Fail();  // a range outside SUM
            return ValueOfCell(m_sheet, column, row);
        }
        return Fail();
    }

    Value NumberLiteral()
    {
        std::string digits;
        while (m_pos < m_text.size()) {
            const char16_t c = m_text[m_pos];
            const bool exponentSign = (c == u'+' || c == u'-') && !digits.empty()
                                      && (digits.back() == 'e' || digits.back() == 'E');
            if ((c >= u'0' && c <= u'9') || c == u'.' || c == u'e' || c == u'E' || exponentSign) {
                digits.push_back(static_cast<char>(c));
                ++m_pos;
            } else {
                break;
            }
        }
        char* end = nullptr;
        const double n = std::strtod(digits.c_str(), &end);
        if (end != digits.c_str() + digits.size())
            return Fail();
        return Checked(n);
    }

    static bool IsLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

    bool IsName(std::size_t start, std::size_t end, const std::u16string& name) const
    {
        if (end - start != name.size())
            return false;
        for (std::size_t i = 0; i < name.size(); ++i) {
            char16_t c = m_text[start + i];
            if (c >= u'a' && c <= u'z')
                c = static_cast<char16_t>(c - u'a' + u'A');
            if (c != name[i])
                return false;
        }
        return true;
    }

    // A cell reference such as C3 or $C$3; false when the text is not one.
    bool Reference(int32_t& column, int32_t& row)
    {
        SkipSpaces();
        if (Peek() == u'$')
            ++m_pos;
        int64_t col = 0;
        int letters = 0;
        while (IsLetter(Peek())) {
            char16_t c = Peek();
            if (c >= u'a')
                c = static_cast<char16_t>(c - u'a' + u'A');
            col = col * 26 + (c - u'A' + 1);
            ++letters;
            ++m_pos;
            if (letters > 3)
                return false;
        }
        if (letters == 0)
            return false;
        if (Peek() == u'$')
            ++m_pos;
        int64_t r = 0;
        int digits = 0;
        while (Peek() >= u'0' && Peek() <= u'9') {
            r = r * 10 + (Peek() - u'0');
            ++digits;
            ++m_pos;
            if (digits > 7)
                return false;
        }
        if (digits == 0 || r < 1 || r > MAX_ROW || col > MAX_COLUMN)
            return false;
        // A reference followed by letters, digits or "!" is something else (a name, another sheet).
        const char16_t next = Peek();
        if (IsLetter(next) || next == u'!' || next == u'_' || next == u'.')
            return false;
        column = static_cast<int32_t>(col);
        row = static_cast<int32_t>(r);
        return true;
    }

    // SUM( ... ) after the opening parenthesis.
    Value Sum(int depth)
    {
        double total = 0;
        Value error;
        bool first = true;
        for (;;) {
            if (Accept(u')')) {
                if (!first)
                    return Fail();  // "SUM(1,)"
                break;
            }
            first = false;
            Value part = Argument(depth);
            if (m_unsupported)
                return part;
            if (part.kind == Value::Kind::Error && error.kind != Value::Kind::Error)
                error = part;
            else if (part.kind == Value::Kind::Number)
                total += part.number;
            if (Accept(u','))
                continue;
            if (Accept(u')'))
                break;
            return Fail();
        }
        if (error.kind == Value::Kind::Error)
            return error;
        return Checked(total);
    }

    // One argument of SUM: a range or a single reference (texts and empty
    // cells skipped), or an expression (taken as a number).
    Value Argument(int depth)
    {
        SkipSpaces();
        const std::size_t start = m_pos;
        int32_t column1 = 0, row1 = 0;
        if (Reference(column1, row1)) {
            SkipSpaces();
            int32_t column2 = column1, row2 = row1;
            if (Peek() == u':') {
                ++m_pos;
                if (!Reference(column2, row2))
                    return Fail();
                SkipSpaces();
            }
            if (Peek() == u',' || Peek() == u')')
                return SumRange(std::min(column1, column2), std::min(row1, row2), std::max(column1, column2),
                                std::max(row1, row2));
        }
        m_pos = start;
        return AsOperand(Expression(depth + 1));
    }

    Value SumRange(int32_t column1, int32_t row1, int32_t column2, int32_t row2) const
    {
        double total = 0;
        auto it = m_sheet.cells.lower_bound({row1, column1});
        const auto end = m_sheet.cells.upper_bound({row2, column2});
        for (; it != end; ++it) {
            const int32_t column = it->first.second;
            if (column < column1 || column > column2)
                continue;
            const Value v = ValueOfCell(m_sheet, column, it->first.first);
            if (v.kind == Value::Kind::Error)
                return v;
            if (v.kind == Value::Kind::Number)
                total += v.number;
        }
        return Checked(total);
    }
};

bool SameResult(const Cell& a, const Cell& b)
{
    if (a.resultIsText != b.resultIsText)
        return false;
    return a.resultIsText ? a.resultText == b.resultText : a.resultNumber == b.resultNumber;
}

}  // namespace

bool IsErrorText(const std::u16string& text)
{
    return text == ERROR_VALUE || text == ERROR_DIV_ZERO || text == ERROR_NUM || text == ERROR_NAME
           || text == ERROR_REF || text == ERROR_NA || text == ERROR_NULL;
}

bool ComputeFormula(const std::u16string& formula, const Worksheet& sheet, Cell& cell)
{
    Evaluator evaluator(formula, sheet);
    Value result;
    if (!evaluator.Run(result))
        return false;
    switch (result.kind) {
    case Value::Kind::Empty:
        cell.resultIsText = false;
        cell.resultNumber = 0;
        cell.resultText.clear();
        break;
    case Value::Kind::Number:
        cell.resultIsText = false;
        cell.resultNumber = result.number;
        cell.resultText.clear();
        break;
    case Value::Kind::Text:
    case Value::Kind::Error:
        cell.resultIsText = true;
        cell.resultNumber = 0;
        cell.resultText = result.text;
        break;
    }
    return true;
}

void RecalculateFormulas(Worksheet& sheet)
{
    for (int pass = 0; pass < MAX_PASSES; ++pass) {
        bool changed = false;
        for (const auto& key : sheet.formulas) {
            const auto it = sheet.cells.find(key);
            if (it == sheet.cells.end() || it->second.kind != Cell::Kind::Formula)
                continue;
            Cell computed = it->second;
            if (!ComputeFormula(it->second.text, sheet, computed))
                continue;
            if (!SameResult(computed, it->second)) {
                it->second.resultIsText = computed.resultIsText;
                it->second.resultNumber = computed.resultNumber;
                it->second.resultText = std::move(computed.resultText);
                changed = true;
            }
        }
        if (!changed)
            return;
    }
}
