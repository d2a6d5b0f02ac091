#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <typeindex>
#include <typeinfo>

#include "foundation/VekUtil.h"

namespace orvel {

// One entry of TVekHashTable: a key and exactly one kind of value: an object,
// an integer array or an integer matrix. The entry shares its object value
// with whoever stored it rather than owning it alone, so a value the caller
// still holds outlives the entry; array and matrix values belong to the entry.
class TVekHashEntry {
public:
    template <class T>
    explicit TVekHashEntry(std::shared_ptr<T> object)
        : objectValue(std::move(object)), objectType(typeid(T)) {}
    explicit TVekHashEntry(TVectorInteger values) : integerArray(std::move(values)) {}
    explicit TVekHashEntry(TIntegerMatrix matrix) : integerMatrix(std::move(matrix)) {}

    TVekHashEntry(const TVekHashEntry&) = delete;
    TVekHashEntry& operator=(const TVekHashEntry&) = delete;
    TVekHashEntry(TVekHashEntry&&) noexcept = default;
    TVekHashEntry& operator=(TVekHashEntry&&) noexcept = default;

    const std::string& getKey() const { return key; }
    int32_t getHash() const { return hash; }

    // The object value when it is a T, else null.
    template <class T>
    std::shared_ptr<T> getObject() const {
        if (!objectValue || objectType != std::type_index(typeid(T))) return nullptr;
        return std::static_pointer_cast<T>(objectValue);
    }
    bool hasObject() const { return objectValue != nullptr; }
    const TVectorInteger& getIntegerArray() const { return integerArray; }
    const TIntegerMatrix& getIntegerMatrix() const { return integerMatrix; }
    // The following entry of the same bucket, or null.
    const TVekHashEntry* getNext() const { return next.get(); }

private:
    friend class TVekHashTable;

    std::string key;
    int32_t hash = 0;
    std::shared_ptr<void> objectValue;
    std::type_index objectType = typeid(void);
    TVectorInteger integerArray;
    TIntegerMatrix integerMatrix;
    std::unique_ptr<TVekHashEntry> next;
};

// Text-keyed table of 256 chained buckets. The bucket of a key is the sum of
// its bytes modulo 256. Duplicate keys are allowed: a later entry goes behind
// the earlier ones of its bucket, and lookups always find the first.
class TVekHashTable {
public:
    TVekHashTable() = default;
    ~TVekHashTable();
    TVekHashTable(const TVekHashTable&) = delete;
    TVekHashTable& operator=(const TVekHashTable&) = delete;

    static int32_t hashOf(const std::string& key);

    // Stores the entry under the key; the table owns it from now on and
    // returns it.
    TVekHashEntry& put(const std::string& key, TVekHashEntry entry);
    // The first entry stored under exactly this key, or null.
    TVekHashEntry* get(const std::string& key);
    const TVekHashEntry* get(const std::string& key) const;
    bool containsKey(const std::string& key) const { return get(key) != nullptr; }
    // Unlinks and frees the first entry with this key (no effect when absent).
    void remove(const std::string& key);

    void clear() { clearAll(false); }
    // Frees every entry. An entry's object value goes with it unless someone
    // else still holds the value; with freeValues the array and matrix values
    // are released as well (they always go with their entry).
    void clearAll(bool freeValues);

    static constexpr int bucketCount = 256;

private:
    std::array<std::unique_ptr<TVekHashEntry>, bucketCount> buckets;
};

}  // namespace orvel
