#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TestHome::TestHome() : m_locations(Locations::under(m_dir.path())) {}

bool TestHome::write(const QString &relative, const QByteArray &bytes) const
{
    const QString path = filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray TestHome::read(const QString &relative) const
{
    QFile file(filePath(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString qtJsonLayout(const QJsonDocument &document)
{
    QString out;
    for (const QChar c : QString::fromUtf8(document.toJson()))
        out += c.category() == QChar::Other_Control && c != u'\n'
                   ? QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QChar(u'0'))
                   : QString(c);
    return out;
}
