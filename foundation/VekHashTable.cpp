#include "foundation/VekHashTable.h"

namespace orvel {

TVekHashTable::~TVekHashTable() { clearAll(false); }

int32_t TVekHashTable::hashOf(const std::string& key) {
    uint32_t sum = 0;
    for (const char c : key) sum += static_cast<unsigned char>(c);
    return static_cast<int32_t>(sum % bucketCount);
}

TVekHashEntry& TVekHashTable::put(const std::string& key, TVekHashEntry entry) {
    auto stored = std::make_unique<TVekHashEntry>(std::move(entry));
    stored->key = key;
    stored->hash = hashOf(key);
    stored->next.reset();
    std::unique_ptr<TVekHashEntry>* slot = &buckets[stored->hash];
    while (*slot) slot = &(*slot)->next;
    *slot = std::move(stored);
    return **slot;
}

TVekHashEntry* TVekHashTable::get(const std::string& key) {
    for (TVekHashEntry* entry = buckets[hashOf(key)].get(); entry != nullptr; entry = entry->next.get()) {
        if (entry->key == key) return entry;
    }
    return nullptr;
}

const TVekHashEntry* TVekHashTable::get(const std::string& key) const {
    return const_cast<TVekHashTable*>(this)->get(key);
}

void TVekHashTable::remove(const std::string& key) {
    std::unique_ptr<TVekHashEntry>* slot = &buckets[hashOf(key)];
    while (*slot && (*slot)->key != key) slot = &(*slot)->next;
    if (!*slot) return;
    std::unique_ptr<TVekHashEntry> removed = std::move(*slot);
    *slot = std::move(removed->next);
}

void TVekHashTable::clearAll(bool freeValues) {
    for (auto& head : buckets) {
        // Unlink one entry at a time so a long chain is not freed recursively.
        while (head) {
            std::unique_ptr<TVekHashEntry> entry = std::move(head);
            head = std::move(entry->next);
            if (freeValues) {
                entry->objectValue.reset();
                entry->integerArray.clear();
                entry->integerMatrix.clear();
            }
        }
    }
}

}  // namespace orvel
