#include "Conversions.h"

#include <QFileInfo>

#include <limits>

namespace pelkano {

namespace {

// A full-width digit or sign (as a Japanese input method types them) as its ASCII form.
QChar halfWidth(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'\uFF10' && u <= u'\uFF19')
        return QChar(char16_t(u'0' + (u - u'\uFF10')));
    if (u == u'\uFF0B')
        return QChar(u'+');
    if (u == u'\uFF0D')
        return QChar(u'-');
    return c;
}

}  // namespace

std::optional<int> StrToInt(const QString& text)
{
    QString t = text.trimmed();
    for (QChar& c : t)
        c = halfWidth(c);
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
        negative = t[i] == u'-';
        ++i;
    }
    if (i == t.size())
        return std::nullopt;
    long long value = 0;
    for (; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

QString conversionError(const QString& text)
{
    return QStringLiteral("'%1' は正しい整数値ではありません。").arg(text);
}

std::optional<int> nextPrintNumber(int n)
{
    if (n == std::numeric_limits<int>::max())
        return std::nullopt;
    return n + 1;
}

QString printNumberLimitMessage(int n)
{
    return QStringLiteral("プリント番号 %1 の次の番号は扱えません。プリント番号を小さくしてから印刷してください。")
        .arg(n);
}

namespace {

// The file's name with `suffix` before its extension, in the same folder.
QString besideFileName(const QString& fileName, const QString& suffix)
{
    const QFileInfo info(fileName);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString stem = dot > 0 ? name.left(dot) : name;
    const QString extension = dot > 0 ? name.mid(dot) : QString();
    const qsizetype slash = fileName.size() - name.size();
    return fileName.left(slash) + stem + suffix + extension;
}

}  // namespace

QString answersFileName(const QString& fileName)
{
    return besideFileName(fileName, QStringLiteral("-answers"));
}

QString resultsFileName(const QString& fileName)
{
    return besideFileName(fileName, QStringLiteral("-results"));
}

}  // namespace pelkano
