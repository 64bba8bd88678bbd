#include "plugin/ParamStore.h"

#include <cstring>

namespace
{
constexpr int32_t kScalarSize = 4;
constexpr int32_t kTextSize = CParamStore::kTextSize;

using StoreLock = std::lock_guard<std::recursive_mutex>;

void copyText(char (&target)[kTextSize], const char* source)
{
    // Never read past the caller's terminator: short literals are common.
    std::memset(target, 0, sizeof(target));
    if (source)
        std::strncpy(target, source, kTextSize - 1);
}
} // namespace

CParamStore::CParamStore(int32_t numEntries)
    : entries(), blocks(), count(numEntries > 0 ? numEntries : 0)
{
    if (count == 0)
        return;
    entries.reset(new ParamEntry[count]());
    blocks.reset(new std::unique_ptr<uint8_t[]>[count]);
}

CParamStore::~CParamStore() = default;

float CParamStore::getValue(int32_t index, bool clearChanged)
{
    if (!isIndex(index))
        return 0.0f;
    StoreLock hold(access);
    if (clearChanged)
        entries[index].changed = 0;
    return entries[index].value;
}

void CParamStore::setValue(int32_t index, float value)
{
    if (!isIndex(index))
        return;
    StoreLock hold(access);
    entries[index].value = value;
    entries[index].changed = 1;
}

float CParamStore::getNormalized(int32_t index, bool clearChanged)
{
    if (!isIndex(index))
        return 0.0f;
    return normalize(index, getValue(index, clearChanged));
}

void CParamStore::setNormalized(int32_t index, float normalized)
{
    if (!isIndex(index))
        return;
    setValue(index, denormalize(index, normalized));
}

void CParamStore::readBlock(int32_t index, void* target, int32_t length, int32_t offset)
{
    uint8_t* block = blockRange(index, length, offset);
    if (!block || !target)
        return;
    StoreLock hold(access);
    std::memcpy(target, block + offset, static_cast<size_t>(length));
    entries[index].changed = 0;
}

void CParamStore::writeBlock(int32_t index, const void* source, int32_t length, int32_t offset)
{
    uint8_t* block = blockRange(index, length, offset);
    if (!block || !source)
        return;
    StoreLock hold(access);
    std::memcpy(block + offset, source, static_cast<size_t>(length));
    entries[index].changed = 1;
}

void CParamStore::define(int32_t index, float value, float min, float max, const char* label,
                         const char* name, int32_t changed, int32_t size)
{
    if (!isIndex(index))
        return;
    ParamEntry& entry = entries[index];
    entry.value = value;
    entry.defaultValue = value;
    entry.min = min;
    entry.max = max;
    // An empty range has no sensible mapping; let it normalise to 0.
    entry.scale = max != min ? 1.0f / (max - min) : 0.0f;
    copyText(entry.label, label);
    copyText(entry.name, name);
    entry.changed = changed;
    entry.size = size;

    blocks[index].reset();
    if (size != kScalarSize && size > 0)
        blocks[index].reset(new uint8_t[size]);
}

int32_t CParamStore::isChanged(int32_t index) const
{
    if (!isIndex(index))
        return 0;
    StoreLock hold(access);
    return entries[index].changed;
}

void CParamStore::markAllChanged()
{
    StoreLock hold(access);
    for (int32_t i = 0; i < count; ++i)
        entries[i].changed = 1;
}

bool CParamStore::isBlock(int32_t index) const
{
    return isIndex(index) && entries[index].size != kScalarSize;
}

float CParamStore::normalize(int32_t index, float plain) const
{
    if (!isIndex(index))
        return 0.0f;
    return (plain - entries[index].min) * entries[index].scale;
}

float CParamStore::denormalize(int32_t index, float normalized) const
{
    if (!isIndex(index))
        return 0.0f;
    const ParamEntry& entry = entries[index];
    return entry.min + (entry.max - entry.min) * normalized;
}

void CParamStore::getLabel(int32_t index, char* text) const
{
    copyEntryText(index, &ParamEntry::label, text);
}

void CParamStore::getName(int32_t index, char* text) const
{
    copyEntryText(index, &ParamEntry::name, text);
}

void CParamStore::copyEntryText(int32_t index, char (ParamEntry::*field)[16], char* text) const
{
    if (!text)
        return;
    if (isIndex(index))
        std::strcpy(text, entries[index].*field);
    else
        text[0] = 0;
}

float CParamStore::getDefaultValue(int32_t index) const
{
    return isIndex(index) ? entries[index].defaultValue : 0.0f;
}

uint8_t* CParamStore::blockRange(int32_t index, int32_t length, int32_t offset) const
{
    if (!isBlock(index) || !blocks[index])
        return nullptr;
    const int32_t size = entries[index].size;
    if (offset < 0 || length < 0 || offset > size || length > size - offset)
        return nullptr;
    return blocks[index].get();
}
