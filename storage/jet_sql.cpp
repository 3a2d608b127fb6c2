#include "storage/jet_sql.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QTime>

#include <optional>
#include <stdexcept>
#include <string_view>

namespace {

enum class Tok { Space, Ident, Number, String, DateLit, Bracket, Param, Punct };

struct Token
{
    Tok kind;
    std::string text;
};

bool isIdentStart(unsigned char c)
{
    return c >= 0x80 || c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isIdentPart(unsigned char c)
{
    return isIdentStart(c) || (c >= '0' && c <= '9');
}

std::vector<Token> tokenize(const std::string& s)
{
    std::vector<Token> out;
    std::size_t i = 0;
    const std::size_t n = s.size();
    auto closing = [&](char close, const char* what) {
        const std::size_t end = s.find(close, i + 1);
        if (end == std::string::npos)
            throw std::invalid_argument(std::string("unterminated ") + what);
        return end;
    };
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t j = i + 1;
        Tok kind = Tok::Punct;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            while (j < n && (s[j] == ' ' || s[j] == '\t' || s[j] == '\r' || s[j] == '\n'))
                ++j;
            kind = Tok::Space;
        } else if (c == '\'') {
            // '' inside a literal is a quote, as in standard SQL.
            j = i + 1;
            for (;;) {
                if (j >= n)
                    throw std::invalid_argument("unterminated text literal");
                if (s[j] == '\'') {
                    if (j + 1 < n && s[j + 1] == '\'') {
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                ++j;
            }
            kind = Tok::String;
        } else if (c == '#') {
            j = closing('#', "date literal") + 1;
            kind = Tok::DateLit;
        } else if (c == '[') {
            j = closing(']', "bracketed name") + 1;
            kind = Tok::Bracket;
        } else if (c == '"') {
            j = closing('"', "quoted name") + 1;
            kind = Tok::Bracket;
        } else if (c == '`') {
            j = closing('`', "quoted name") + 1;
            kind = Tok::Bracket;
        } else if (c == '?' && !(j < n && s[j] >= '0' && s[j] <= '9')) {
            kind = Tok::Param;
        } else if (c == '?' || c == ':' || c == '@' || c == '$') {
            // SQLite numbers ?NNN and names :a, @a, $a placeholders apart from the plain ones, so values
            // bound in order would land in the wrong places.
            throw std::invalid_argument("only plain ? placeholders are accepted");
        } else if ((c == '-' && j < n && s[j] == '-') || (c == '/' && j < n && s[j] == '*')) {
            // SQLite would skip what a comment hides, quotes and placeholders included.
            throw std::invalid_argument("comments are not accepted in a statement");
        } else if (c >= '0' && c <= '9') {
            while (j < n && ((s[j] >= '0' && s[j] <= '9') || s[j] == '.'))
                ++j;
            kind = Tok::Number;
        } else if (isIdentStart(c)) {
            while (j < n && isIdentPart(static_cast<unsigned char>(s[j])))
                ++j;
            kind = Tok::Ident;
        } else if ((c == '<' || c == '>' || c == '!') && j < n &&
                   (s[j] == '=' || (c == '<' && s[j] == '>'))) {
            ++j;
        }
        out.push_back({kind, s.substr(i, j - i)});
        i = j;
    }
    return out;
}

// The keywords are ASCII, so a byte-wise comparison folding ASCII letters is exact: a name with any
// other character never equals one.
bool isWord(const Token& t, const char* word)
{
    if (t.kind != Tok::Ident)
        return false;
    std::size_t i = 0;
    for (; i < t.text.size() && word[i] != '\0'; ++i) {
        char c = t.text[i];
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        if (c != word[i])
            return false;
    }
    return i == t.text.size() && word[i] == '\0';
}

// Index of the next token that is not blank, or tokens.size().
std::size_t nextSolid(const std::vector<Token>& t, std::size_t i)
{
    while (i < t.size() && t[i].kind == Tok::Space)
        ++i;
    return i;
}

std::size_t prevSolid(const std::vector<Token>& t, std::size_t i)
{
    while (i > 0) {
        --i;
        if (t[i].kind != Tok::Space)
            return i;
    }
    return std::string::npos;
}

int digitsAt(const std::string& s, std::size_t at, std::size_t count)
{
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return -1;
        value = value * 10 + (s[i] - '0');
    }
    return value;
}

// The form every date the program writes takes, #yyyy/mm/dd# or #yyyy/mm/dd hh:mm:ss# with all digits,
// read without the general parser below (which costs more than the rest of a statement's translation).
// Any other spelling gives nullopt and goes the general way.
std::optional<std::string> canonicalDateLiteral(const std::string& token)
{
    const std::string body = token.substr(1, token.size() - 2);
    if (body.size() != 10 && !(body.size() == 19 && body[10] == ' ' && body[13] == ':' && body[16] == ':'))
        return std::nullopt;
    const char separator = body[4];
    if ((separator != '/' && separator != '-') || body[7] != separator)
        return std::nullopt;
    const int year = digitsAt(body, 0, 4);
    const int month = digitsAt(body, 5, 2);
    const int day = digitsAt(body, 8, 2);
    if (year < 0 || month < 0 || day < 0)
        return std::nullopt;
    if (!QDate(year, month, day).isValid())
        throw std::invalid_argument("malformed date literal " + token);
    std::string text = body.substr(0, 10);
    text[4] = text[7] = '-';
    if (body.size() == 19) {
        const int hour = digitsAt(body, 11, 2);
        const int minute = digitsAt(body, 14, 2);
        const int second = digitsAt(body, 17, 2);
        if (hour < 0 || minute < 0 || second < 0)
            return std::nullopt;
        if (!QTime(hour, minute, second).isValid())
            throw std::invalid_argument("malformed time in date literal " + token);
        if (hour != 0 || minute != 0 || second != 0)
            text += body.substr(10);
    }
    return "'" + text + "'";
}

// #yyyy/mm/dd# or #yyyy/mm/dd hh:mm:ss# into the stored text form. A date column holds no time of day,
// so a midnight literal compares as the bare date; any other time stays after it, and text comparison
// then places the literal just after that day, as a date-time comparison would.
std::string dateLiteral(const std::string& token)
{
    if (std::optional<std::string> literal = canonicalDateLiteral(token))
        return *literal;
    const QString body = QString::fromStdString(token.substr(1, token.size() - 2)).trimmed();
    const QStringList parts = body.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.isEmpty() || parts.size() > 2)
        throw std::invalid_argument("malformed date literal " + token);
    QDate date = QDate::fromString(parts[0], QStringLiteral("yyyy/M/d"));
    if (!date.isValid())
        date = QDate::fromString(parts[0], QStringLiteral("yyyy-M-d"));
    if (!date.isValid())
        throw std::invalid_argument("malformed date literal " + token);
    QTime time(0, 0);
    if (parts.size() == 2) {
        time = QTime::fromString(parts[1], QStringLiteral("H:m:s"));
        if (!time.isValid())
            throw std::invalid_argument("malformed time in date literal " + token);
    }
    QString text = date.toString(Qt::ISODate);
    if (time != QTime(0, 0))
        text += QLatin1Char(' ') + time.toString(QStringLiteral("HH:mm:ss"));
    return "'" + text.toStdString() + "'";
}

bool isWordByte(char c)
{
    return isIdentPart(static_cast<unsigned char>(c)) || c == '$';
}

// Whether SQLite would read the two characters, written side by side, as part of one token.
bool wouldRunTogether(char a, char b)
{
    if (isWordByte(a) && (isWordByte(b) || b == '\'' || b == '"'))
        return true; // one name, or x'..' a blob literal
    if ((a == '?' || a == ':' || a == '@' || a == '#') && isWordByte(b))
        return true; // a numbered or named placeholder
    if (a == b && std::string_view("'\"`-|=<>&").find(a) != std::string_view::npos)
        return true; // a doubled quote, a comment, an operator
    if ((a == '/' && b == '*') || (std::string_view("<>!=").find(a) != std::string_view::npos &&
                                   std::string_view("<>=").find(b) != std::string_view::npos))
        return true;
    return (a == '.' && b >= '0' && b <= '9') || (a >= '0' && a <= '9' && b == '.');
}

std::string schemaFor(const QString& path, const std::vector<AttachedFile>& files)
{
    const QString wanted = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (const AttachedFile& f : files) {
        if (QDir::cleanPath(QFileInfo(f.path).absoluteFilePath()) == wanted)
            return f.schema;
    }
    throw std::invalid_argument("the statement names a database file that is not open: " +
                                path.toStdString());
}

} // namespace

TranslatedSql translateJetSql(const std::string& statement, const std::vector<Value>& params,
                              const std::vector<AttachedFile>& files, bool withRowId)
{
    std::vector<Token> t = tokenize(statement);
    // A statement is prepared alone: SQLite would silently skip anything after its first semicolon.
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i].kind == Tok::Punct && t[i].text == ";") {
            for (std::size_t k = i + 1; k < t.size(); ++k) {
                if (t[k].kind != Tok::Space && t[k].text != ";")
                    throw std::invalid_argument("one statement at a time");
            }
            break;
        }
    }

    // Which bound parameter each placeholder takes.
    std::vector<int> paramIndex(t.size(), -1);
    int placeholders = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i].kind == Tok::Param)
            paramIndex[i] = placeholders++;
    }
    if (placeholders != int(params.size()))
        throw std::invalid_argument("the statement has " + std::to_string(placeholders) +
                                    " placeholders but " + std::to_string(params.size()) +
                                    " values were given");

    std::vector<std::string> written;
    written.reserve(t.size());
    for (const Token& tok : t)
        written.push_back(tok.text);

    TranslatedSql out;
    std::vector<bool> dropParam(params.size(), false);
    std::string limit;
    const std::size_t first = nextSolid(t, 0);
    out.isSelect = first < t.size() && isWord(t[first], "select");

    // Pass 1: rewrite the token list in place (an emptied token disappears from the output).
    for (std::size_t i = 0; i < t.size(); ++i) {
        Token& tok = t[i];
        if (tok.kind == Tok::DateLit) {
            tok = {Tok::String, dateLiteral(tok.text)};
            continue;
        }
        if (tok.kind != Tok::Ident)
            continue;
        if (isWord(tok, "delete")) {
            const std::size_t j = nextSolid(t, i + 1);
            if (j < t.size() && t[j].text == "*")
                t[j].text.clear();
        } else if (isWord(tok, "top") && i == nextSolid(t, first + 1) && out.isSelect) {
            const std::size_t j = nextSolid(t, i + 1);
            if (j >= t.size() || t[j].kind != Tok::Number)
                throw std::invalid_argument("top without a count");
            limit = t[j].text;
            tok.text.clear();
            t[j].text.clear();
        } else if (isWord(tok, "isnull")) {
            const std::size_t open = nextSolid(t, i + 1);
            if (open >= t.size() || t[open].text != "(")
                continue; // the postfix operator of SQLite itself
            int depth = 0;
            std::size_t close = open;
            for (; close < t.size(); ++close) {
                if (t[close].kind != Tok::Punct)
                    continue;
                if (t[close].text == "(")
                    ++depth;
                else if (t[close].text == ")" && --depth == 0)
                    break;
            }
            if (close >= t.size())
                throw std::invalid_argument("isnull( without its closing parenthesis");
            tok.text = "(";
            t[close].text = ") is null)";
        } else if (isWord(tok, "true") || isWord(tok, "false")) {
            tok = {Tok::Number, isWord(tok, "true") ? "1" : "0"};
        } else if (isWord(tok, "in")) {
            // `T in '<file>'` right after from/into names a table of the other file.
            const std::size_t table = prevSolid(t, i);
            const std::size_t before = table == std::string::npos ? std::string::npos : prevSolid(t, table);
            const std::size_t path = nextSolid(t, i + 1);
            if (before == std::string::npos || path >= t.size())
                continue;
            if (!(isWord(t[before], "from") || isWord(t[before], "into")))
                continue;
            if (t[table].kind != Tok::Ident && t[table].kind != Tok::Bracket)
                continue;
            QString file;
            if (t[path].kind == Tok::Param) {
                file = params[paramIndex[path]].toText();
                dropParam[paramIndex[path]] = true;
            } else if (t[path].kind == Tok::String) {
                file = QString::fromStdString(t[path].text.substr(1, t[path].text.size() - 2))
                           .replace(QLatin1String("''"), QLatin1String("'"));
            } else {
                continue;
            }
            t[table].text = schemaFor(file, files) + "." + t[table].text;
            tok.text.clear();
            for (std::size_t k = i + 1; k <= path; ++k)
                t[k].text.clear();
        } else if (isWord(tok, "order")) {
            // `order by 日付` alone: one date's rows in row-number order, the order over all time.
            const std::size_t by = nextSolid(t, i + 1);
            if (by >= t.size() || !isWord(t[by], "by"))
                continue;
            const std::size_t col = nextSolid(t, by + 1);
            if (col >= t.size())
                continue;
            std::size_t after = nextSolid(t, col + 1);
            if (after < t.size() && isWord(t[after], "asc"))
                after = nextSolid(t, after + 1);
            const bool alone = after >= t.size() || t[after].text == ";";
            const bool isDate = t[col].text == "日付" || t[col].text == "[日付]";
            if (alone && isDate)
                t[col].text += ",行番号";
        }
    }

    // Pass 2: the table of a plain `select * from T`, for row sets that store their rows back.
    if (out.isSelect) {
        std::size_t star = nextSolid(t, first + 1);
        while (star < t.size() && t[star].text.empty())
            star = nextSolid(t, star + 1);
        const std::size_t from = star < t.size() ? nextSolid(t, star + 1) : t.size();
        const std::size_t table = from < t.size() ? nextSolid(t, from + 1) : t.size();
        if (star < t.size() && t[star].text == "*" && from < t.size() && isWord(t[from], "from") &&
            table < t.size() && (t[table].kind == Tok::Ident || t[table].kind == Tok::Bracket)) {
            std::size_t after = nextSolid(t, table + 1);
            while (after < t.size() && t[after].text.empty())
                after = nextSolid(t, after + 1);
            if (after >= t.size() || t[after].text == ";" || isWord(t[after], "where") ||
                isWord(t[after], "order")) {
                out.selectTable = t[table].text;
                if (withRowId)
                    t[star].text = "rowid AS __rowid__, *";
            }
        }
    }

    // A rewritten or emptied token can leave two neighbours that SQLite would read as one: `?true` became
    // the numbered placeholder `?1`, `select*` the name `selectrowid`. Such a seam gets a blank; seams the
    // statement itself wrote are left as written, `||` and `1e5` included.
    std::string sql;
    std::size_t prev = std::string::npos;
    for (std::size_t k = 0; k < t.size(); ++k) {
        if (t[k].text.empty())
            continue;
        const bool seamIsNew = prev == std::string::npos || k != prev + 1 || t[k].text != written[k] ||
                               t[prev].text != written[prev];
        if (prev != std::string::npos && seamIsNew && wouldRunTogether(sql.back(), t[k].text.front()))
            sql += ' ';
        sql += t[k].text;
        prev = k;
    }
    // A trailing semicolon would stand in the way of the limit clause.
    while (!sql.empty() &&
           (sql.back() == ';' || sql.back() == ' ' || sql.back() == '\n' || sql.back() == '\t'))
        sql.pop_back();
    if (!limit.empty())
        sql += " LIMIT " + limit;
    out.sql = std::move(sql);

    for (std::size_t k = 0; k < params.size(); ++k) {
        if (!dropParam[k])
            out.params.push_back(params[k]);
    }
    return out;
}
