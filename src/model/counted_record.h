// Records shared by reference count. A new record starts at 0; whoever keeps it acquires it.
// Releasing destroys the record when the count reaches 0, or when it was 0 already, so a record
// that was made and never acquired must be released exactly once.
#pragma once

#include <cstdint>
#include <utility>

namespace tagcfg {

class CountedRecord {
public:
    CountedRecord() = default;
    CountedRecord(const CountedRecord &) = delete;
    CountedRecord &operator=(const CountedRecord &) = delete;

    void acquire();
    void release();
    int32_t reference_count() const { return count_; }

protected:
    // Destroy: only release() deletes a record.
    virtual ~CountedRecord() = default;

private:
    volatile int32_t count_ = 0;
};

// Holds one counted reference, or none.
template <typename T>
class RecordRef {
public:
    RecordRef() = default;
    explicit RecordRef(T *record) : record_(record) {
        if (record_) record_->acquire();
    }
    RecordRef(const RecordRef &other) : RecordRef(other.record_) {}
    RecordRef(RecordRef &&other) noexcept : record_(std::exchange(other.record_, nullptr)) {}
    RecordRef &operator=(RecordRef other) noexcept {
        std::swap(record_, other.record_);
        return *this;
    }
    ~RecordRef() { reset(); }

    void reset() {
        if (T *old = std::exchange(record_, nullptr)) old->release();
    }
    T *get() const { return record_; }
    T *operator->() const { return record_; }
    T &operator*() const { return *record_; }
    explicit operator bool() const { return record_ != nullptr; }

private:
    T *record_ = nullptr;  // one counted reference, given back by reset()
};

}  // namespace tagcfg
