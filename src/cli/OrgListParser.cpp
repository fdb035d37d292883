#include "OrgListParser.h"

#include <QCoreApplication>

#include <QRegularExpression>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

using namespace Qt::Literals::StringLiterals;

OrgListDecodingError::OrgListDecodingError(const QString &problem)
    : DescribedError(QCoreApplication::translate("OrgList", "Unexpected org list from sf: %1").arg(problem))
{
}

namespace {

// Deep enough for any real output, shallow enough for a small thread stack.
constexpr int kMaxDepth = 256;

enum class Kind { Object, Array, String, Number, Boolean, Null };

QString kindName(Kind kind)
{
    switch (kind) {
    case Kind::Object:
        return QCoreApplication::translate("OrgList", "an object");
    case Kind::Array:
        return QCoreApplication::translate("OrgList", "an array");
    case Kind::String:
        return QCoreApplication::translate("OrgList", "a string");
    case Kind::Number:
        return QCoreApplication::translate("OrgList", "a number");
    case Kind::Boolean:
        return QCoreApplication::translate("OrgList", "a boolean");
    case Kind::Null:
        return QCoreApplication::translate("OrgList", "null");
    }
    return {};
}

// Where a value sits; written out only for an error message.
struct Path
{
    const Path *parent = nullptr;
    std::string_view key; // empty for an array element
    qsizetype index = -1;

    QString text() const
    {
        QString head = parent ? parent->text() : QString();
        if (index >= 0)
            return head % u'[' % QString::number(index) % u']';
        const QString name = QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
        return head.isEmpty() ? name : head % u'.' % name;
    }
};

class Parser
{
public:
    explicit Parser(const QByteArray &json)
        : m_begin(json.constData())
        , m_p(json.constData())
        , m_end(json.constData() + json.size())
    {
    }

    OrgListParser::Categories document()
    {
        skipSpace();
        if (kindAhead() != Kind::Object)
            typeError(QCoreApplication::translate("OrgList", "top level"), QCoreApplication::translate("OrgList", "an object"), kindAhead());
        bool sawStatus = false, sawResult = false;
        OrgListParser::Categories result;
        int hidden = 0;
        forEachMember(0, [&](std::string_view key) {
            if (key == "status") {
                sawStatus = true;
                status();
            } else if (key == "result") {
                sawResult = true;
                result = resultObject();
            } else if (key == "warnings" && kindAhead() == Kind::Array) {
                forEachElement(1, [&](qsizetype) {
                    if (const std::optional<QString> text = lenientString(2))
                        hidden = std::max(hidden, hiddenScratchOrgs(*text));
                });
            } else {
                skipValue(1);
            }
        });
        result.hiddenScratchOrgs = hidden;
        skipSpace();
        if (m_p != m_end)
            syntaxError(QT_TRANSLATE_NOOP("OrgList", "garbage at the end of the document"));
        if (!sawStatus)
            throw OrgListDecodingError(QCoreApplication::translate("OrgList", "%1: required key is missing.").arg(u"status"_s));
        if (!sawResult)
            throw OrgListDecodingError(QCoreApplication::translate("OrgList", "%1: required key is missing.").arg(u"result"_s));
        return result;
    }

private:
    [[noreturn]] void syntaxError(const char *problem) const
    {
        throw OrgListDecodingError(QCoreApplication::translate("OrgList", "not valid JSON (%1 at offset %2).")
                                       .arg(QCoreApplication::translate("OrgList", problem))
                                       .arg(m_p - m_begin));
    }

    [[noreturn]] static void typeError(const QString &where, const QString &expected, Kind found)
    {
        throw OrgListDecodingError(
            QCoreApplication::translate("OrgList", "%1: expected %2, found %3.").arg(where, expected, kindName(found)));
    }

    void skipSpace()
    {
        while (m_p < m_end && (*m_p == ' ' || *m_p == '\n' || *m_p == '\r' || *m_p == '\t'))
            ++m_p;
    }

    Kind kindAhead()
    {
        if (m_p == m_end)
            syntaxError(QT_TRANSLATE_NOOP("OrgList", "unexpected end of the document"));
        switch (*m_p) {
        case '{':
            return Kind::Object;
        case '[':
            return Kind::Array;
        case '"':
            return Kind::String;
        case 't':
        case 'f':
            return Kind::Boolean;
        case 'n':
            return Kind::Null;
        default:
            if (*m_p == '-' || (*m_p >= '0' && *m_p <= '9'))
                return Kind::Number;
        }
        syntaxError(QT_TRANSLATE_NOOP("OrgList", "illegal value"));
    }

    void expect(char c, const char *problem)
    {
        skipSpace();
        if (m_p == m_end || *m_p != c)
            syntaxError(problem);
        ++m_p;
    }

    void literal(std::string_view word)
    {
        if (static_cast<size_t>(m_end - m_p) < word.size()
            || std::memcmp(m_p, word.data(), word.size()) != 0)
            syntaxError(QT_TRANSLATE_NOOP("OrgList", "illegal value"));
        m_p += word.size();
    }

    // Calls `member(key)` with the cursor on each value; the callback must consume it.
    template<typename Member>
    void forEachMember(int depth, Member &&member)
    {
        if (depth > kMaxDepth)
            syntaxError(QT_TRANSLATE_NOOP("OrgList", "document nested too deeply"));
        ++m_p; // '{'
        skipSpace();
        if (m_p < m_end && *m_p == '}') {
            ++m_p;
            return;
        }
        for (;;) {
            skipSpace();
            if (m_p == m_end || *m_p != '"')
                syntaxError(QT_TRANSLATE_NOOP("OrgList", "missing a member name"));
            std::string keyStorage;
            const std::string_view key = stringView(keyStorage);
            expect(':', QT_TRANSLATE_NOOP("OrgList", "missing a colon after a member name"));
            skipSpace();
            member(key);
            skipSpace();
            if (m_p < m_end && *m_p == ',') {
                ++m_p;
                continue;
            }
            expect('}', QT_TRANSLATE_NOOP("OrgList", "missing a comma or a closing brace"));
            return;
        }
    }

    template<typename Element>
    void forEachElement(int depth, Element &&element)
    {
        if (depth > kMaxDepth)
            syntaxError(QT_TRANSLATE_NOOP("OrgList", "document nested too deeply"));
        ++m_p; // '['
        skipSpace();
        if (m_p < m_end && *m_p == ']') {
            ++m_p;
            return;
        }
        for (qsizetype index = 0;; ++index) {
            skipSpace();
            element(index);
            skipSpace();
            if (m_p < m_end && *m_p == ',') {
                ++m_p;
                continue;
            }
            expect(']', QT_TRANSLATE_NOOP("OrgList", "missing a comma or a closing bracket"));
            return;
        }
    }

    void skipValue(int depth)
    {
        switch (kindAhead()) {
        case Kind::Object:
            forEachMember(depth + 1, [&](std::string_view) { skipValue(depth + 1); });
            return;
        case Kind::Array:
            forEachElement(depth + 1, [&](qsizetype) { skipValue(depth + 1); });
            return;
        case Kind::String: {
            std::string ignored;
            stringView(ignored);
            return;
        }
        case Kind::Number:
            number();
            return;
        case Kind::Boolean:
            literal(*m_p == 't' ? "true" : "false");
            return;
        case Kind::Null:
            literal("null");
            return;
        }
    }

    double number()
    {
        const char *start = m_p;
        if (*m_p == '-')
            ++m_p;
        auto digits = [&] {
            const char *from = m_p;
            while (m_p < m_end && *m_p >= '0' && *m_p <= '9')
                ++m_p;
            return m_p - from;
        };
        const char *integral = m_p;
        const auto integralDigits = digits();
        if (integralDigits == 0 || (integralDigits > 1 && *integral == '0'))
            syntaxError(QT_TRANSLATE_NOOP("OrgList", "malformed number"));
        if (m_p < m_end && *m_p == '.') {
            ++m_p;
            if (digits() == 0)
                syntaxError(QT_TRANSLATE_NOOP("OrgList", "malformed number"));
        }
        if (m_p < m_end && (*m_p == 'e' || *m_p == 'E')) {
            ++m_p;
            if (m_p < m_end && (*m_p == '+' || *m_p == '-'))
                ++m_p;
            if (digits() == 0)
                syntaxError(QT_TRANSLATE_NOOP("OrgList", "malformed number"));
        }
        double value = 0;
        const auto [end, error] = std::from_chars(start, m_p, value);
        if (error == std::errc::result_out_of_range)
            return std::copysign(HUGE_VAL, *start == '-' ? -1.0 : 1.0);
        if (error != std::errc() || end != m_p)
            syntaxError(QT_TRANSLATE_NOOP("OrgList", "malformed number"));
        return value;
    }

    static int hexValue(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    char32_t hex4()
    {
        if (m_end - m_p < 4)
            syntaxError(QT_TRANSLATE_NOOP("OrgList", "invalid escape sequence"));
        char32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = hexValue(m_p[i]);
            if (digit < 0)
                syntaxError(QT_TRANSLATE_NOOP("OrgList", "invalid escape sequence"));
            value = value * 16 + static_cast<char32_t>(digit);
        }
        m_p += 4;
        return value;
    }

    static void appendUtf8(std::string &out, char32_t c)
    {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }

    // The end of the run of bytes that need no attention inside a string (no quote, backslash or
    // control character), eight bytes at a time: most of a real org list is such runs.
    static const char *plainRunEnd(const char *p, const char *end)
    {
        constexpr std::uint64_t ones = 0x0101010101010101ULL, highs = 0x8080808080808080ULL;
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            const std::uint64_t quote = word ^ (ones * '"');
            const std::uint64_t backslash = word ^ (ones * '\\');
            const std::uint64_t special = ((quote - ones) & ~quote) | ((backslash - ones) & ~backslash)
                | (word - ones * 0x20);
            if ((special & ~word & highs) != 0)
                break;
            p += 8;
        }
        return p;
    }

    // The string at the cursor as UTF-8: a view into the document when it has no escapes (the
    // usual case), else decoded into `storage`.
    std::string_view stringView(std::string &storage)
    {
        ++m_p; // '"'
        const char *start = m_p;
        m_p = plainRunEnd(m_p, m_end);
        while (m_p < m_end) {
            const unsigned char c = static_cast<unsigned char>(*m_p);
            if (c == '"') {
                const std::string_view view(start, static_cast<size_t>(m_p - start));
                ++m_p;
                return view;
            }
            if (c == '\\')
                break;
            if (c < 0x20)
                syntaxError(QT_TRANSLATE_NOOP("OrgList", "control character in a string"));
            ++m_p;
        }
        storage.assign(start, static_cast<size_t>(m_p - start));
        while (m_p < m_end) {
            const unsigned char c = static_cast<unsigned char>(*m_p);
            if (c == '"') {
                ++m_p;
                return storage;
            }
            if (c < 0x20)
                syntaxError(QT_TRANSLATE_NOOP("OrgList", "control character in a string"));
            if (c != '\\') {
                storage += static_cast<char>(c);
                ++m_p;
                continue;
            }
            if (++m_p == m_end)
                break;
            switch (*m_p++) {
            case '"': storage += '"'; break;
            case '\\': storage += '\\'; break;
            case '/': storage += '/'; break;
            case 'b': storage += '\b'; break;
            case 'f': storage += '\f'; break;
            case 'n': storage += '\n'; break;
            case 'r': storage += '\r'; break;
            case 't': storage += '\t'; break;
            case 'u': {
                char32_t unit = hex4();
                if (unit >= 0xD800 && unit <= 0xDBFF && m_end - m_p >= 6 && m_p[0] == '\\'
                    && m_p[1] == 'u') {
                    const char *back = m_p;
                    m_p += 2;
                    const char32_t low = hex4();
                    if (low >= 0xDC00 && low <= 0xDFFF)
                        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                    else
                        m_p = back;
                }
                // A lone surrogate has no UTF-8 form; it becomes the replacement character.
                appendUtf8(storage, (unit >= 0xD800 && unit <= 0xDFFF) ? 0xFFFD : unit);
                break;
            }
            default:
                --m_p;
                syntaxError(QT_TRANSLATE_NOOP("OrgList", "invalid escape sequence"));
            }
        }
        syntaxError(QT_TRANSLATE_NOOP("OrgList", "unterminated string"));
    }

    QString string()
    {
        std::string storage;
        const std::string_view view = stringView(storage);
        return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
    }

    void status()
    {
        const Kind kind = kindAhead();
        if (kind != Kind::Number)
            typeError(u"status"_s, QCoreApplication::translate("OrgList", "an integer"), kind);
        const double value = number();
        // Integral and representable as a 64-bit integer; the value itself is never used.
        if (!std::isfinite(value) || std::trunc(value) != value || std::fabs(value) >= 9.2233720368547758e18)
            typeError(u"status"_s, QCoreApplication::translate("OrgList", "an integer"), Kind::Number);
    }

    OrgListParser::Categories resultObject()
    {
        const Kind kind = kindAhead();
        if (kind != Kind::Object)
            typeError(u"result"_s, QCoreApplication::translate("OrgList", "an object"), kind);
        OrgListParser::Categories categories;
        const Path result{nullptr, "result"};
        forEachMember(1, [&](std::string_view key) {
            QList<CLIOrg> *list = nullptr;
            QLatin1StringView label;
            if (key == "other") {
                list = &categories.other;
                label = "Other"_L1;
            } else if (key == "sandboxes") {
                list = &categories.sandboxes;
                label = "Sandboxes"_L1;
            } else if (key == "devHubs") {
                list = &categories.devHubs;
                label = "Dev Hubs"_L1;
            } else if (key == "scratchOrgs") {
                list = &categories.scratchOrgs;
                label = CLIOrg::scratchCategory;
            }
            if (!list) {
                skipValue(2);
                return;
            }
            const Path arrayPath{&result, key};
            list->clear(); // a repeated key: the last one counts
            const Kind arrayKind = kindAhead();
            if (arrayKind == Kind::Null) {
                literal("null");
                return;
            }
            if (arrayKind != Kind::Array)
                typeError(arrayPath.text(), QCoreApplication::translate("OrgList", "an array or null"), arrayKind);
            const QString category = label;
            forEachElement(2, [&](qsizetype index) {
                const Path entryPath{&arrayPath, {}, index};
                if (std::optional<CLIOrg> org = orgObject(entryPath)) {
                    org->category = category;
                    list->append(std::move(*org));
                }
            });
        });
        return categories;
    }

    std::optional<QString> optionalString(const Path &entry, std::string_view key)
    {
        const Kind kind = kindAhead();
        if (kind == Kind::String)
            return string();
        if (kind == Kind::Null) {
            literal("null");
            return std::nullopt;
        }
        typeError(Path{&entry, key}.text(), QCoreApplication::translate("OrgList", "a string or null"), kind);
    }

    // A string, or nothing for any other value: for what the list can do without.
    std::optional<QString> lenientString(int depth)
    {
        if (kindAhead() == Kind::String)
            return string();
        skipValue(depth);
        return std::nullopt;
    }

    // The CLI's warning that it hides expired or deleted scratch orgs, known by what it says (a
    // count and the --clean hint), not by its wording or its place: "You have 3 expired or deleted
    // local scratch org authorizations. To remove authorizations for inactive orgs, run "sf org
    // list --clean"."
    static int hiddenScratchOrgs(const QString &warning)
    {
        if (!warning.contains("--clean"_L1) || !warning.contains("scratch org"_L1, Qt::CaseInsensitive))
            return 0;
        static const QRegularExpression count(u"\\b(\\d{1,9})\\b"_s);
        const QRegularExpressionMatch match = count.match(warning);
        return match.hasMatch() ? match.captured(1).toInt() : 0;
    }

    std::optional<bool> optionalBool(const Path &entry, std::string_view key)
    {
        const Kind kind = kindAhead();
        if (kind == Kind::Boolean) {
            const bool value = *m_p == 't';
            literal(value ? "true" : "false");
            return value;
        }
        if (kind == Kind::Null) {
            literal("null");
            return std::nullopt;
        }
        typeError(Path{&entry, key}.text(), QCoreApplication::translate("OrgList", "a boolean or null"), kind);
    }

    // An entry of a category array; nothing when it lacks a username or an instance URL.
    std::optional<CLIOrg> orgObject(const Path &entry)
    {
        const Kind kind = kindAhead();
        if (kind != Kind::Object)
            typeError(entry.text(), QCoreApplication::translate("OrgList", "an object"), kind);
        CLIOrg org;
        std::optional<QString> username, instanceUrl;
        forEachMember(3, [&](std::string_view key) {
            if (key == "username")
                username = optionalString(entry, key);
            else if (key == "instanceUrl")
                instanceUrl = optionalString(entry, key);
            else if (key == "alias")
                org.alias = optionalString(entry, key);
            else if (key == "orgId")
                org.orgId = optionalString(entry, key);
            else if (key == "loginUrl")
                org.loginUrl = optionalString(entry, key);
            else if (key == "clientId")
                org.clientId = optionalString(entry, key);
            else if (key == "connectedStatus")
                org.connectedStatus = optionalString(entry, key);
            else if (key == "isSandbox")
                org.isSandbox = optionalBool(entry, key);
            else if (key == "isDefaultUsername")
                org.isDefaultUsername = optionalBool(entry, key);
            else if (key == "devHubUsername")
                org.devHubUsername = lenientString(4);
            else if (key == "edition")
                org.edition = lenientString(4);
            else if (key == "expirationDate")
                org.expirationDate = lenientString(4);
            else
                skipValue(4);
        });
        if (!username || !instanceUrl)
            return std::nullopt;
        org.username = std::move(*username);
        org.instanceUrl = std::move(*instanceUrl);
        return org;
    }

    const char *m_begin;
    const char *m_p;
    const char *m_end;
};

} // namespace

OrgListParser::Categories OrgListParser::parse(const QByteArray &utf8Json)
{
    if (!utf8Json.isValidUtf8())
        throw OrgListDecodingError(QCoreApplication::translate("OrgList", "not valid UTF-8."));
    return Parser(utf8Json).document();
}
