#include "index_cache.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace mapindex {
namespace {

constexpr quint32 Magic = 0x4d494458; // "MIDX"
constexpr quint32 Version = 1;
constexpr qint64 DigestSize = 32;
constexpr qint64 LargestCache = qint64(1) << 30;

enum Flags : quint8 { HasError = 1 << 4 };

QByteArray bytes(const std::string &text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::string text(const QByteArray &bytes)
{
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QByteArray digest(QByteArrayView body)
{
    return QCryptographicHash::hash(body, QCryptographicHash::Sha256);
}

void writeRow(QDataStream &out, const IndexRow &row)
{
    quint8 flags = row.error ? HasError : 0;
    for (std::size_t k = 0; k < row.values.size(); ++k)
        flags |= row.values[k] ? quint8(1u << k) : 0;
    out << bytes(row.fileName) << bytes(row.entry) << quint64(row.size) << qint64(row.writeTime) << flags;
    for (const auto &value : row.values)
        if (value)
            out << bytes(*value);
    if (row.error)
        out << bytes(*row.error);
}

IndexRow readRow(QDataStream &in)
{
    IndexRow row;
    QByteArray fileName, entry;
    quint64 size = 0;
    qint64 writeTime = 0;
    quint8 flags = 0;
    in >> fileName >> entry >> size >> writeTime >> flags;
    row.fileName = text(fileName);
    row.entry = text(entry);
    row.size = size;
    row.writeTime = writeTime;
    for (std::size_t k = 0; k < row.values.size(); ++k) {
        if (flags & (1u << k)) {
            QByteArray value;
            in >> value;
            row.values[k] = text(value);
        }
    }
    if (flags & HasError) {
        QByteArray error;
        in >> error;
        row.error = text(error);
    }
    return row;
}

} // namespace

QString CacheFilePath(const std::string &mapsDir)
{
    const QByteArray name = QCryptographicHash::hash(bytes(mapsDir), QCryptographicHash::Sha1).toHex();
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/map-utility/")
         + QString::fromLatin1(name) + QStringLiteral(".cache");
}

std::optional<std::vector<IndexRow>> LoadCache(const QString &path, const std::string &mapsDir)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > LargestCache || file.size() < DigestSize)
        return std::nullopt;
    const QByteArray all = file.readAll();
    const QByteArrayView body = QByteArrayView(all).first(all.size() - DigestSize);
    if (digest(body) != QByteArrayView(all).last(DigestSize))
        return std::nullopt;

    QDataStream in(body.toByteArray());
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0, version = 0, count = 0;
    QByteArray dir;
    in >> magic >> version >> dir >> count;
    if (in.status() != QDataStream::Ok || magic != Magic || version != Version || dir != bytes(mapsDir))
        return std::nullopt;
    std::vector<IndexRow> rows;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i)
        rows.push_back(readRow(in));
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return std::nullopt;
    return rows;
}

bool SaveCache(const QString &path, const std::string &mapsDir, const std::vector<IndexRow> &rows)
{
    QByteArray body;
    {
        QDataStream out(&body, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_0);
        out << Magic << Version << bytes(mapsDir) << quint32(rows.size());
        for (const IndexRow &row : rows)
            writeRow(out, row);
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(body) == body.size()
        && file.write(digest(body)) == DigestSize && file.commit();
}

} // namespace mapindex
