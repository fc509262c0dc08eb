#pragma once
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "database/DrawingRecord.h"

namespace rz {

// A failed file operation; what() carries the operation, the file and the
// system's error text.
class IoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Forward reader over the database file: record k is reached by reading
// records 0..k. A trailing partial record is never read.
class RecordReader {
public:
    explicit RecordReader(const std::string& path); // throws IoError
    ~RecordReader();
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

    bool eof() const { return index_ >= count_; }
    std::int64_t count() const { return count_; }
    std::int64_t index() const { return index_; } // index of the next record
    DrawingRecord next();                          // throws IoError

private:
    std::string path_;
    std::FILE* file_ = nullptr;
    std::int64_t count_ = 0;
    std::int64_t index_ = 0;
};

// Fast path for whole-file passes (statistics, history rules): the constructor
// opens the file, readAll() reads every whole record in one read into a buffer
// the caller keeps between passes (it only grows), so a pass allocates nothing.
class RecordBlockReader {
public:
    explicit RecordBlockReader(const std::string& path); // throws IoError
    ~RecordBlockReader();
    RecordBlockReader(const RecordBlockReader&) = delete;
    RecordBlockReader& operator=(const RecordBlockReader&) = delete;

    // Returns the number of whole records now at buffer.data(). Throws IoError.
    std::size_t readAll(std::vector<std::uint8_t>& buffer);

    // Field access on one raw 32-byte record.
    static DayNumber date(const std::uint8_t* rec) {
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits |= static_cast<std::uint64_t>(rec[i]) << (8 * i);
        DayNumber d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    static std::uint8_t number(const std::uint8_t* rec, int i) { return rec[7 + i]; } // i = 1..8

private:
    std::string path_;
    std::FILE* file_ = nullptr;
};

// The drawing database "Ruvuzevodare.dat": fixed 32-byte records in ascending
// date order. There is no cache; every operation opens, works and closes.
class DrawingDatabase {
public:
    explicit DrawingDatabase(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }
    bool exists() const;
    void createEmpty() const;

    // Delivers every record from index 0 upwards until the end or until the
    // visitor returns false. Visitor: bool(const DrawingRecord&, std::int64_t index).
    template <typename Visitor>
    void scan(Visitor&& visit) const {
        std::vector<DrawingRecord> all = readAll();
        for (std::size_t i = 0; i < all.size(); ++i)
            if (!visit(all[i], static_cast<std::int64_t>(i)))
                break;
    }

    // The whole file in one read (one allocation, not one per record).
    std::vector<DrawingRecord> readAll() const;
    std::optional<DrawingRecord> readLast() const;

    // Writes after the last whole record; a trailing partial record is
    // overwritten, so later records stay aligned.
    void append(const DrawingRecord& rec) const;
    // Replaces the record of the same date or inserts in date order; a date
    // later than every stored date is appended.
    void insertOrReplace(const DrawingRecord& rec) const;
    // Removes every record of the given date.
    void removeDate(DayNumber date) const;
    // Replaces the whole file content (used by the importer).
    void replaceAll(const std::vector<DrawingRecord>& records) const;

private:
    // Writes records to path + suffix, flushes to disk and renames it over the
    // database, so that a crash leaves either the old or the new file whole.
    void rebuild(const std::vector<DrawingRecord>& records, const std::string& tempPath) const;

    std::string path_;
};

std::string systemErrorText(int err);

} // namespace rz
