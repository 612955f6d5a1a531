#include "settings/INI.h"

#include "common/clsCommon.h"

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zorbel
{

namespace
{

// What one line of the file is. Names and values are views into the line,
// already stripped of the blanks around them.
enum class Kind { Other, Section, Key };
struct Parsed {
    Kind kind = Kind::Other;
    QByteArrayView name;
    QByteArrayView value;
};

// "[name]" is a section header (the name runs to the first "]", or to the
// end of the line when there is none), "name=value" a key; empty lines,
// comments (";") and anything else are kept but never looked at.
Parsed parseLine(QByteArrayView line)
{
    line = line.trimmed();
    Parsed p;
    if (line.isEmpty() || line.front() == ';')
        return p;
    if (line.front() == '[') {
        QByteArrayView name = line.sliced(1);
        const qsizetype close = name.indexOf(']');
        if (close >= 0)
            name = name.first(close);
        p.kind = Kind::Section;
        p.name = name.trimmed();
        return p;
    }
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return p;
    p.kind = Kind::Key;
    p.name = line.first(eq).trimmed();
    p.value = line.sliced(eq + 1).trimmed();
    return p;
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Section and key names match without regard to the case of ASCII letters.
bool sameName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

// A text as it may stand in the file: line breaks and NULs would split the
// line or cut the value, so they become blanks.
QByteArray fileBytes(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    for (char& c : bytes) {
        if (c == '\r' || c == '\n' || c == '\0')
            c = ' ';
    }
    return bytes;
}

QByteArray nameBytes(const QString& name)
{
    return fileBytes(name).trimmed();
}

// A stored value as the program sees it: without matching double quotes,
// cut before a NUL, at most kMaxValueLength characters.
QString valueText(QByteArrayView v)
{
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
        v = v.sliced(1, v.size() - 2);
    const qsizetype nul = v.indexOf('\0');
    if (nul >= 0)
        v = v.first(nul);
    // No character takes more than four bytes, so this cut keeps enough.
    if (v.size() > INI::kMaxValueLength * 4)
        v = v.first(INI::kMaxValueLength * 4);
    QString s = QString::fromUtf8(v);
    if (s.size() > INI::kMaxValueLength) {
        qsizetype n = INI::kMaxValueLength;
        if (s.at(n - 1).isHighSurrogate())
            --n; // do not leave half of a character behind
        s.truncate(n);
    }
    return s;
}

const QByteArray kBom("\xEF\xBB\xBF");

// Where the line starting at `pos` ends: at the first CR or LF, a CR LF
// being one line end (files edited on any system, CR-only ones included).
struct LineEnd {
    qsizetype contentEnd; // first byte of the line end
    qsizetype next;       // first byte of the next line
};
LineEnd lineEndAt(const QByteArray& text, qsizetype pos)
{
    const char* bytes = text.constData();
    const qsizetype size = text.size();
    for (qsizetype i = pos; i < size; ++i) {
        if (bytes[i] == '\n')
            return {i, i + 1};
        if (bytes[i] == '\r')
            return {i, i + 1 < size && bytes[i + 1] == '\n' ? i + 2 : i + 1};
    }
    return {size, size};
}

// The file cut into lines, each with its own line end, so that a rewrite
// gives back every untouched line byte for byte.
// Consecutive lines that are neither sections nor keys (empty lines,
// comments, anything else) are held as one run, line ends inside it: a file
// of many blank lines costs one piece of memory, not one per line.
struct Line {
    QByteArray text; // a run: all its lines, but for the last line end
    QByteArray end;  // "\n", "\r\n", "\r", or empty for a last line without one
    bool run = false;
};

// The line end between contentEnd and next, shared rather than copied.
QByteArray endBytes(const QByteArray& text, const LineEnd& e)
{
    static const QByteArray lf("\n"), crlf("\r\n"), cr("\r");
    if (e.next - e.contentEnd == 2)
        return crlf;
    if (e.next == e.contentEnd)
        return {};
    return text.at(e.contentEnd) == '\r' ? cr : lf;
}

Parsed parsed(const Line& line)
{
    return line.run ? Parsed{} : parseLine(line.text);
}
struct Document {
    QByteArray bom; // a UTF-8 byte order mark some editors put first
    std::vector<Line> lines;
    QByteArray eol = "\n"; // the file's own style for new lines (CR LF for CR)
};

Document splitLines(const QByteArray& text)
{
    Document doc;
    qsizetype pos = 0;
    if (text.startsWith(kBom)) {
        doc.bom = kBom;
        pos = kBom.size();
    }
    const LineEnd first = lineEndAt(text, pos);
    if (first.contentEnd < text.size() && text.at(first.contentEnd) == '\r')
        doc.eol = "\r\n";
    while (pos < text.size()) {
        const LineEnd e = lineEndAt(text, pos);
        const QByteArrayView content = QByteArrayView(text).sliced(pos, e.contentEnd - pos);
        const bool run = parseLine(content).kind == Kind::Other;
        if (run && !doc.lines.empty() && doc.lines.back().run) {
            Line& last = doc.lines.back();
            last.text += last.end;
            last.text += content;
            last.end = endBytes(text, e);
        } else {
            doc.lines.push_back({content.toByteArray(), endBytes(text, e), run});
        }
        pos = e.next;
    }
    return doc;
}

QByteArray joinLines(const Document& doc)
{
    qsizetype size = doc.bom.size();
    for (const Line& l : doc.lines)
        size += l.text.size() + l.end.size();
    QByteArray out;
    out.reserve(size);
    out += doc.bom;
    for (const Line& l : doc.lines) {
        out += l.text;
        out += l.end;
    }
    return out;
}

// Changes the key in place in the first section of that name; a missing key
// goes after the last key of the section, a missing section at the end.
void putValue(Document& doc, const QByteArray& section, const QByteArray& key,
              const QByteArray& value)
{
    const QByteArray newLine = key + '=' + value;
    auto& lines = doc.lines;
    std::size_t header = 0;
    while (header < lines.size()) {
        const Parsed p = parsed(lines[header]);
        if (p.kind == Kind::Section && sameName(p.name, section))
            break;
        ++header;
    }
    if (header == lines.size()) {
        if (!lines.empty() && lines.back().end.isEmpty())
            lines.back().end = doc.eol;
        lines.push_back({'[' + section + ']', doc.eol});
        lines.push_back({newLine, doc.eol});
        return;
    }
    std::size_t last = header;
    for (std::size_t i = header + 1; i < lines.size(); ++i) {
        const Parsed p = parsed(lines[i]);
        if (p.kind == Kind::Section)
            break;
        if (p.kind == Kind::Key) {
            if (sameName(p.name, key)) {
                lines[i].text = newLine;
                return;
            }
            last = i;
        }
    }
    if (lines[last].end.isEmpty())
        lines[last].end = doc.eol;
    lines.insert(lines.begin() + std::ptrdiff_t(last + 1), Line{newLine, doc.eol});
}

bool folderWritable(const QString& folder)
{
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

// What stands where the settings file should be, links followed.
enum class Target { Missing, Ours, Foreign };

Target targetAt(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::stat(name.constData(), &st) != 0) {
        // A link that leads nowhere is no file of ours: writing through it
        // would create a file wherever it points.
        return ::lstat(name.constData(), &st) == 0 ? Target::Foreign : Target::Missing;
    }
    // A device or a pipe would be replaced by a plain file; a file its
    // owner may not write was made read-only on purpose, and that holds for
    // root as well. A file too large to read is not the game's to replace
    // either: it may be anything.
    if (!S_ISREG(st.st_mode) || (st.st_mode & S_IWUSR) == 0 ||
        ::access(name.constData(), W_OK) != 0 || st.st_size > INI::kMaxFileSize)
        return Target::Foreign;
    return Target::Ours;
}

} // namespace

INI::INI(const QString& programFolder) : programFolder_(programFolder) {}

void INI::SetIniFileName(const QString& vFileName)
{
    const QString folder = clsCommon::ChkPathBS(programFolder_);
    // An installed copy keeps the settings in the user's folder, whoever
    // runs it: the player may not write its folder (all progress would be
    // lost at every exit), and root writing there would leave a file the
    // package manager does not know. Only a folder outside the system's own
    // (a build folder, an unpacked copy) holds the file beside the program.
    inConfigFolder_ = IsSystemFolder(folder) || !folderWritable(folder);
    fileName_ = vFileName;
    path_ = (inConfigFolder_ ? clsCommon::FallbackPath() : folder) + vFileName;
    sourcePath_.clear();
    warned_.clear();
    AvoidForeignFile();
}

bool INI::AvoidForeignFile()
{
    if (targetAt(path_) != Target::Foreign)
        return true;
    if (inConfigFolder_)
        return false;
    const QString fallback = clsCommon::FallbackPath() + fileName_;
    if (warned_.firstTime(QStringLiteral("foreign")))
        qCWarning(lcSettings,
                  "%s is not a plain settings file the game may replace (not a plain file, "
                  "read-only or over %lld bytes); it is left as it is, and the settings are "
                  "kept in %s",
                  qUtf8Printable(path_), kMaxFileSize, qUtf8Printable(fallback));
    // A read-only file is still read, until the file in the configuration
    // folder exists: its progress is played and carried over, never lost.
    sourcePath_ = path_;
    inConfigFolder_ = true;
    path_ = fallback;
    return targetAt(path_) != Target::Foreign;
}

QString INI::FilePath() const
{
    return path_;
}

bool INI::IsSystemFolder(const QString& folder)
{
    return folder.startsWith(QStringLiteral("/usr/"));
}

QByteArray INI::ReadFileText() const
{
    if (!sourcePath_.isEmpty() && !QFileInfo::exists(path_))
        return ReadPlainFile(sourcePath_);
    return ReadPlainFile(path_);
}

QByteArray INI::ReadPlainFile(const QString& path)
{
    if (path.isEmpty())
        return {};
    // Only a plain file is read: a folder, a pipe or a device of that name
    // counts as a missing file (and reading a pipe could hang).
    if (!QFileInfo(path).isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray text = file.read(kMaxFileSize + 1);
    if (text.size() > kMaxFileSize)
        return {};
    return text;
}

QString INI::ValueInText(const QByteArray& text, const QString& AppName, const QString& KeyName)
{
    const QByteArray section = nameBytes(AppName);
    const QByteArray key = nameBytes(KeyName);
    if (section.isEmpty() || key.isEmpty())
        return {};
    qsizetype pos = text.startsWith(kBom) ? kBom.size() : 0;
    bool inSection = false;
    while (pos < text.size()) {
        const LineEnd e = lineEndAt(text, pos);
        const Parsed p = parseLine(QByteArrayView(text).sliced(pos, e.contentEnd - pos));
        pos = e.next;
        if (p.kind == Kind::Section) {
            // Only the first section of a name counts, as when writing.
            if (inSection)
                return {};
            inSection = sameName(p.name, section);
        } else if (p.kind == Kind::Key && inSection && sameName(p.name, key)) {
            return valueText(p.value);
        }
    }
    return {};
}

QByteArray INI::TextWithValues(const QByteArray& text, const QList<Entry>& entries)
{
    Document doc = splitLines(text);
    for (const Entry& e : entries) {
        const QByteArray section = nameBytes(e.section);
        const QByteArray key = nameBytes(e.key);
        if (section.isEmpty() || key.isEmpty())
            continue;
        putValue(doc, section, key, fileBytes(e.value));
    }
    return joinLines(doc);
}

QString INI::GetIni(const QString& AppName, const QString& KeyName) const
{
    return ValueInText(ReadFileText(), AppName, KeyName);
}

QStringList INI::GetIniAll(const QList<Entry>& keys) const
{
    const QByteArray text = ReadFileText();
    QStringList values;
    values.reserve(keys.size());
    for (const Entry& e : keys)
        values.append(ValueInText(text, e.section, e.key));
    return values;
}

void INI::PutIni(const QString& AppName, const QString& KeyName, const QString& SaveData)
{
    PutIniAll({{AppName, KeyName, SaveData}});
}

bool INI::PutIniAll(const QList<Entry>& entries)
{
    QString error;
    if (path_.isEmpty()) {
        error = QStringLiteral("no settings file name was set");
    } else {
        // The file may have been replaced since the folder was chosen.
        const bool ours = AvoidForeignFile();
        // A file too large to read is replaced by the new values alone.
        QByteArray text = TextWithValues(ReadFileText(), entries);
        // Never write what the next start would refuse to read.
        if (text.size() > kMaxFileSize) {
            text = TextWithValues({}, entries);
            if (warned_.firstTime(QStringLiteral("drop")))
                qCWarning(lcSettings,
                          "%s would grow beyond %lld bytes; only the game's own values are "
                          "kept, the rest of the file is dropped",
                          qUtf8Printable(path_), kMaxFileSize);
        }
        if (inConfigFolder_)
            QDir().mkpath(QFileInfo(path_).absolutePath());
        // The new text goes to a temporary file beside the old one (beside
        // the file a link leads to), which is renamed over it only once it
        // is complete: a crash, a kill or a full disk leaves either the old
        // file or the new one. The new file gets the old one's permissions.
        QSaveFile file(path_);
        if (!ours) {
            error = QStringLiteral("not a plain file the game may write");
        } else if (text.size() > kMaxFileSize) {
            error = QStringLiteral("the values alone are too large");
        } else if (file.open(QIODevice::WriteOnly)) {
            bool ok = file.write(text) == text.size() && file.flush();
            // The new text reaches the disk before it takes the old file's
            // place, so that a power cut cannot leave an empty file either.
            // A file system that cannot sync at all (EINVAL) is no reason to
            // fail.
            if (ok && ::fsync(file.handle()) != 0 && errno != EINVAL) {
                error = QString::fromLocal8Bit(std::strerror(errno));
                ok = false;
            }
            if (ok && failWrites_) {
                error = QStringLiteral("simulated failure");
                ok = false;
            }
            if (!ok)
                file.cancelWriting();
            if (file.commit()) {
                warned_.forget(QStringLiteral("failure"));
                return true;
            }
        }
        if (error.isEmpty())
            error = file.errorString();
    }
    // The game goes on with the values in memory; say so once, not at every
    // return to the title menu.
    if (warned_.firstTime(QStringLiteral("failure")))
        qCWarning(lcSettings,
                  "could not save the settings to %s (%s); the game goes on without saving",
                  qUtf8Printable(path_.isEmpty() ? QStringLiteral("(none)") : path_),
                  qUtf8Printable(error));
    return false;
}

} // namespace zorbel
