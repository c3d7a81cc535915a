#pragma once

#include <cstdlib>

// A growable list of references: a count, and a capacity grown in blocks of
// ten. Reads outside the list give null, writes there are ignored. The list
// never owns its items.
class TPointerList {
public:
    TPointerList() { SetCapacity(Block); }
    ~TPointerList() { std::free(Items); }
    TPointerList(const TPointerList&) = delete;
    TPointerList& operator=(const TPointerList&) = delete;

    int Count() const { return FCount; }
    int Capacity() const { return FCapacity; }

    void Add(void* item) {
        int count = FCount + 1;
        int capacity = FCapacity;
        while (capacity < count) capacity += Block;
        if (capacity != FCapacity && !SetCapacity(capacity)) return;
        FCount = count;
        Items[count - 1] = item;
    }
    void* Item(int position) const { return position >= 0 && position < FCount ? Items[position] : nullptr; }
    void SetItem(int position, void* item) {
        if (position >= 0 && position < FCount) Items[position] = item;
    }
    void Clear() {
        FCount = 0;
        SetCapacity(Block);
    }

private:
    static constexpr int Block = 10;

    bool SetCapacity(int capacity) {
        if (capacity < FCount) capacity = FCount;
        void* grown = std::realloc(Items, sizeof(void*) * static_cast<size_t>(capacity));
        if (!grown) return false;
        Items = static_cast<void**>(grown);
        FCapacity = capacity;
        return true;
    }

    void** Items = nullptr;
    int FCount = 0;
    int FCapacity = 0;
};
