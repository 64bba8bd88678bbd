#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

// One value of a store: a scalar (size 4) or a data block (any other size).
struct ParamEntry
{
    float value;
    float defaultValue;
    float min;
    float max;
    float scale;
    char label[16];
    char name[16];
    int32_t changed;
    int32_t size;
};

// Fixed set of scalar and block entries, each with a changed flag that
// writers set and polling readers clear: a one-slot mailbox per entry.
//
// The destructor is deliberately not virtual: the first virtual slot is
// getValue, and the order of the six operations is part of the interface.
// Delete a store only through its own type (CScopeParams is final).
//
// The processing thread writes the editor's store while the GUI thread reads
// it, so every value, flag and block access holds a short lock: a reader
// never sees a torn value or a block half of one analysis and half of the
// next. lock() and unlock() hold the same lock across several accesses
// (std::lock_guard<CParamStore>), so that a writer's blocks and values reach
// a reader together. The lock is held for a few small copies at most.
class CParamStore
{
  public:
    // Bytes of an entry's label and name, terminator included.
    static constexpr int32_t kTextSize = 16;

    explicit CParamStore(int32_t count);
    ~CParamStore();

    CParamStore(const CParamStore&) = delete;
    CParamStore& operator=(const CParamStore&) = delete;

    virtual float getValue(int32_t index, bool clearChanged);
    virtual void setValue(int32_t index, float value);
    virtual float getNormalized(int32_t index, bool clearChanged);
    virtual void setNormalized(int32_t index, float normalized);
    virtual void readBlock(int32_t index, void* target, int32_t length, int32_t offset);
    virtual void writeBlock(int32_t index, const void* source, int32_t length, int32_t offset);

    // label and name are cut to 15 characters. A block's contents are
    // undefined until written.
    void define(int32_t index, float value, float min, float max, const char* label,
                const char* name, int32_t changed, int32_t size);
    int32_t isChanged(int32_t index) const;
    void markAllChanged();
    bool isBlock(int32_t index) const;
    float normalize(int32_t index, float plain) const;
    float denormalize(int32_t index, float normalized) const;

    // Holds the store's lock across several accesses; it may be taken again
    // by the same thread, so the accesses inside keep working.
    void lock() const { access.lock(); }
    void unlock() const { access.unlock(); }

    int32_t getCount() const { return count; }
    // Copies of an entry's definition: the text and its terminator, at most
    // 16 bytes. Outside the store the texts are empty and the default is 0.
    void getLabel(int32_t index, char* text) const;
    void getName(int32_t index, char* text) const;
    float getDefaultValue(int32_t index) const;
    // Bytes of an entry: 4 for a scalar; 0 outside the store.
    int32_t getSize(int32_t index) const { return isIndex(index) ? entries[index].size : 0; }

  protected:
    bool isIndex(int32_t index) const { return index >= 0 && index < count; }
    // The label or name of an entry, text and terminator.
    void copyEntryText(int32_t index, char (ParamEntry::*field)[16], char* text) const;
    // The buffer of a block entry when [offset, offset + length) lies inside it.
    uint8_t* blockRange(int32_t index, int32_t length, int32_t offset) const;

    std::unique_ptr<ParamEntry[]> entries;
    // The buffer of each block entry; empty for scalars.
    std::unique_ptr<std::unique_ptr<uint8_t[]>[]> blocks;
    int32_t count;

  private:
    mutable std::recursive_mutex access;
};
