#pragma once

#include <cstdint>

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
class CParamStore
{
public:
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

    int32_t getCount() const { return count; }
    // Copies of an entry's definition; text must hold 16 bytes. Outside the
    // store the texts are empty and the default is 0.
    void getLabel(int32_t index, char* text) const;
    void getName(int32_t index, char* text) const;
    float getDefaultValue(int32_t index) const;

protected:
    bool isIndex(int32_t index) const { return index >= 0 && index < count; }
    // The buffer of a block entry when [offset, offset + length) lies inside it.
    uint8_t* blockRange(int32_t index, int32_t length, int32_t offset) const;

    ParamEntry* entries;
    uint8_t** blocks;
    int32_t count;
};
