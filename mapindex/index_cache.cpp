#include "index_cache.h"

#include "ConfigDirectory.h"
#include "catalogue/list_export.h"
#include "runtime/io_error.h"

#include <QCryptographicHash>
#include <QFile>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string_view>

namespace mapindex {
namespace {

constexpr std::uint32_t Magic = 0x4d494458; // "MIDX"
constexpr std::uint32_t Version = 7;        // 5: marks and removed maps kept until seen; 6: folders; 7: seen states
constexpr std::uint32_t OldestVersion = 6;  // a version 6 cache reads as one with no seen states
constexpr std::size_t DigestSize = sizeof(std::uint64_t);
constexpr qint64 LargestCache = qint64(1) << 30;
constexpr std::uint8_t HasError = 1 << 4;
constexpr std::uint8_t MarkedNew = 1 << 5;
constexpr std::uint8_t MarkedChanged = 1 << 6;
constexpr std::uint8_t HasSeen = 1 << 7;

// Fixed-size numbers in host order, then length-prefixed byte strings: the
// cache never leaves this machine, and the digest catches any damage. The
// digest is the standard library's string hash: no seed that changes from
// run to run, and a fortieth of SHA-256's time, which was most of a warm
// start. Should another build hash differently, the cache is only rebuilt.
class Writer {
public:
    template <class T>
    void number(T value)
    {
        bytes.append(reinterpret_cast<const char *>(&value), sizeof value);
    }
    void text(const std::string &value)
    {
        number(static_cast<std::uint32_t>(value.size()));
        bytes += value;
    }
    std::string bytes;
};

class Reader {
public:
    explicit Reader(std::string_view data) : data_(data) {}
    template <class T>
    T number()
    {
        T value{};
        if (!take(sizeof value))
            return value;
        std::memcpy(&value, data_.data() + pos_ - sizeof value, sizeof value);
        return value;
    }
    std::string text()
    {
        const auto size = number<std::uint32_t>();
        return take(size) ? std::string(data_.substr(pos_ - size, size)) : std::string();
    }
    // The same into a string in place.
    void text(std::string &into)
    {
        const auto size = number<std::uint32_t>();
        if (take(size))
            into.assign(data_.data() + pos_ - size, size);
    }
    bool ok() const { return ok_; }
    void fail() { ok_ = false; }
    bool atEnd() const { return pos_ == data_.size(); }

private:
    bool take(std::size_t size)
    {
        ok_ = ok_ && size <= data_.size() - pos_;
        if (ok_)
            pos_ += size;
        return ok_;
    }
    std::string_view data_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

QByteArrayView view(const std::string &text)
{
    return QByteArrayView(text.data(), static_cast<qsizetype>(text.size()));
}

std::string digest(std::string_view body)
{
    const auto value = static_cast<std::uint64_t>(std::hash<std::string_view>{}(body));
    return std::string(reinterpret_cast<const char *>(&value), sizeof value);
}

// A path below the folder read: names joined by "/", none empty, "." or
// "..". A cache naming any other file is damaged or forged: its rows would
// open files outside the tree.
bool belowTheFolder(std::string_view path)
{
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string_view name = path.substr(start, end - start);
        if (name.empty() || name == "." || name == ".." || name.find('\0') != std::string_view::npos)
            return false;
        if (end == path.size())
            return true;
        start = end + 1;
    }
}

// Bits 0 to 3: which of the four values are there.
std::uint8_t valueBits(const std::array<std::optional<std::string>, 4> &values)
{
    std::uint8_t bits = 0;
    for (std::size_t k = 0; k < values.size(); ++k)
        bits |= values[k] ? std::uint8_t(1u << k) : 0;
    return bits;
}

void writeValues(Writer &out, const std::array<std::optional<std::string>, 4> &values)
{
    for (const auto &value : values)
        if (value)
            out.text(*value);
}

void readValues(Reader &in, std::uint8_t bits, std::array<std::optional<std::string>, 4> &values)
{
    for (std::size_t k = 0; k < values.size(); ++k)
        if (bits & (1u << k))
            in.text(values[k].emplace());
}

std::size_t valuesSize(const std::array<std::optional<std::string>, 4> &values)
{
    std::size_t size = 0;
    for (const auto &value : values)
        size += value ? sizeof(std::uint32_t) + value->size() : 0;
    return size;
}

void writeRow(Writer &out, const IndexRow &row)
{
    std::uint8_t flags = row.error ? HasError : 0;
    flags |= row.change == Change::New ? MarkedNew : row.change == Change::Changed ? MarkedChanged : 0;
    flags |= valueBits(row.values) | (row.seen.state ? HasSeen : 0);
    out.text(row.fileName);
    out.text(row.entry);
    out.text(row.folder);
    out.number<std::uint64_t>(row.size);
    out.number<std::int64_t>(row.stamp.modifiedNs);
    out.number<std::int64_t>(row.stamp.changedNs);
    out.number<std::uint64_t>(row.stamp.inode);
    out.number<std::uint64_t>(row.stamp.device);
    out.number(flags);
    writeValues(out, row.values);
    if (row.error)
        out.text(*row.error);
    // What a changed map held when last seen: its size, which values, the values.
    if (const SeenState *seen = row.seen.state.get()) {
        out.number<std::uint64_t>(seen->size);
        out.number(valueBits(seen->values));
        writeValues(out, seen->values);
    }
}

// Read in place, into the vector's own row and strings: a warm start reads
// every row before the table shows any, and moves took a quarter of that.
void readRow(Reader &in, IndexRow &row)
{
    in.text(row.fileName);
    in.text(row.entry);
    in.text(row.folder);
    row.size = in.number<std::uint64_t>();
    row.stamp.modifiedNs = in.number<std::int64_t>();
    row.stamp.changedNs = in.number<std::int64_t>();
    row.stamp.inode = in.number<std::uint64_t>();
    row.stamp.device = in.number<std::uint64_t>();
    const auto flags = in.number<std::uint8_t>();
    readValues(in, flags, row.values);
    if (flags & HasError)
        in.text(row.error.emplace());
    if (flags & HasSeen) {
        auto seen = std::make_shared<SeenState>();
        seen->size = in.number<std::uint64_t>();
        readValues(in, in.number<std::uint8_t>(), seen->values);
        row.seen.state = std::move(seen);
    }
    if ((flags & MarkedNew) && (flags & MarkedChanged))
        in.fail(); // never written: a damaged cache
    // RowPath(row) below the folder, without making it for every row.
    if (row.fileName.find('/') != std::string::npos || !belowTheFolder(row.fileName)
        || (!row.folder.empty() && !belowTheFolder(row.folder)))
        in.fail();
    if ((flags & HasSeen) && !(flags & MarkedChanged))
        in.fail(); // only a changed map keeps what was seen
    row.change = flags & MarkedNew ? Change::New : flags & MarkedChanged ? Change::Changed : Change::None;
}

// Removed maps after the rows: their count, then each one's entry and file name.
void writeRemoved(Writer &out, const std::vector<ChangeNote> &removed)
{
    out.number(static_cast<std::uint32_t>(removed.size()));
    for (const ChangeNote &note : removed) {
        out.text(note.entry);
        out.text(note.fileName);
    }
}

std::vector<ChangeNote> readRemoved(Reader &in, std::size_t limit)
{
    const auto count = in.number<std::uint32_t>();
    std::vector<ChangeNote> removed;
    removed.reserve(std::min<std::size_t>(count, limit));
    for (std::uint32_t i = 0; i < count && in.ok(); ++i) {
        ChangeNote note{Change::Removed, in.text(), {}};
        note.fileName = in.text();
        if (!belowTheFolder(note.fileName))
            in.fail();
        removed.push_back(std::move(note));
    }
    return removed;
}

std::string cacheBytes(const std::string &mapsDir, const std::vector<IndexRow> &rows,
                       const std::vector<ChangeNote> &removed)
{
    Writer out;
    // Sized at once: grown step by step, a large cache would stand in memory
    // one and a half times for a moment.
    std::size_t size = 5 * sizeof(std::uint32_t) + mapsDir.size() + DigestSize;
    for (const ChangeNote &note : removed)
        size += 2 * sizeof(std::uint32_t) + note.entry.size() + note.fileName.size();
    for (const IndexRow &row : rows) {
        size += 3 * sizeof(std::uint32_t) + 5 * sizeof(std::uint64_t) + 1 + row.fileName.size() + row.entry.size()
            + row.folder.size();
        size += valuesSize(row.values);
        size += row.error ? sizeof(std::uint32_t) + row.error->size() : 0;
        if (const SeenState *seen = row.seen.state.get())
            size += sizeof(std::uint64_t) + 1 + valuesSize(seen->values);
    }
    out.bytes.reserve(size);
    out.number(Magic);
    out.number(Version);
    out.text(mapsDir);
    out.number(static_cast<std::uint32_t>(rows.size()));
    for (const IndexRow &row : rows)
        writeRow(out, row);
    writeRemoved(out, removed);
    return SealedCache(std::move(out.bytes));
}

} // namespace

std::string CacheKey(const std::string &mapsDir, bool subfolders)
{
    // No folder's name holds a NUL, so the tree's key is never a folder's own.
    return subfolders ? mapsDir + std::string("\0subfolders", 11) : mapsDir;
}

QString CacheFilePath(const std::string &mapsDir)
{
    const QByteArray name = QCryptographicHash::hash(view(mapsDir), QCryptographicHash::Sha1).toHex();
    // Not QStandardPaths: it takes a relative XDG_CACHE_HOME as it is, which
    // would put the cache in whatever folder is current.
    return QFile::decodeName(QByteArray::fromStdString(ui::XdgBaseDirectory("XDG_CACHE_HOME", ".cache")))
        + QStringLiteral("/map-utility/") + QString::fromLatin1(name) + QStringLiteral(".cache");
}

std::string SealedCache(std::string body)
{
    body += digest(body);
    return body;
}

std::optional<CachedIndex> ParseCache(std::string_view bytes, const std::string &mapsDir)
{
    if (bytes.size() < DigestSize)
        return std::nullopt;
    const std::string_view body = bytes.substr(0, bytes.size() - DigestSize);
    if (digest(body) != bytes.substr(body.size()))
        return std::nullopt;

    Reader in(body);
    const auto magic = in.number<std::uint32_t>();
    const auto version = in.number<std::uint32_t>();
    const std::string dir = in.text();
    const auto count = in.number<std::uint32_t>();
    if (!in.ok() || magic != Magic || version < OldestVersion || version > Version || dir != mapsDir)
        return std::nullopt;
    CachedIndex index;
    index.rows.reserve(std::min<std::size_t>(count, body.size() / 8));
    for (std::uint32_t i = 0; i < count && in.ok(); ++i)
        readRow(in, index.rows.emplace_back());
    index.removed = readRemoved(in, body.size() / 8);
    if (!in.ok() || !in.atEnd())
        return std::nullopt;
    return index;
}

std::string CacheBytes(const std::string &mapsDir, const CachedIndex &index)
{
    return cacheBytes(mapsDir, index.rows, index.removed);
}

std::optional<CachedIndex> LoadCache(const QString &path, const std::string &mapsDir)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > LargestCache)
        return std::nullopt;
    const QByteArray all = file.readAll();
    return ParseCache(std::string_view(all.data(), static_cast<std::size_t>(all.size())), mapsDir);
}

std::optional<std::string> WriteCache(const QString &path, const std::string &mapsDir, const CachedIndex &index)
{
    // Not QSaveFile: it renames what it wrote into place even when a buffered
    // write failed, and a full disk left an empty cache.
    try {
        catalogue::WriteTextFile(QFile::encodeName(path).toStdString(), CacheBytes(mapsDir, index));
    } catch (const runtime::EInOutError &error) {
        return QFile::encodeName(path).toStdString() + ": " + runtime::ReportText(error.what());
    }
    return std::nullopt;
}

} // namespace mapindex
