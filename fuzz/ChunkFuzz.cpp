// Feeds arbitrary bytes to the effect as a program or bank chunk, the way a
// host restores a project, and as parameter values: the chunk check, the
// program data and the parameter store behind them. Besides the sanitizers
// it checks what every load must hold: a refused chunk changes nothing, a
// taken one reads back with the values given (-0 comes back as 0), and the
// parameter stays within [0, 1].
//
// The first byte chooses the chunk kind (bit 0: program, else bank), the
// program to load into (bits 1-2) and whether Mono is on before (bit 3).
// With ZW_FUZZ_SEEDS set, the fuzzer writes the chunks the plug-in itself
// writes into that folder as seeds and ends.

#include "plugin/ScopeEffect.h"
#include "tests/support/HostCalls.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
VstIntPtr ZW_VSTCALL host(AEffect*, int32_t opcode, int32_t, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

std::vector<uint8_t> chunkOf(AEffect* e, bool preset)
{
    void* data = nullptr;
    const VstIntPtr size = call(e, effGetChunk, preset, 0, &data);
    check(size > 0 && data);
    return std::vector<uint8_t>(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

// The bank, the parameter and the program: all a chunk may change.
std::vector<uint8_t> stateOf(AEffect* e)
{
    std::vector<uint8_t> state = chunkOf(e, false);
    const float value = e->getParameter(e, 0);
    state.insert(state.end(), reinterpret_cast<const uint8_t*>(&value),
                 reinterpret_cast<const uint8_t*>(&value) + sizeof(value));
    state.push_back(static_cast<uint8_t>(call(e, effGetProgram)));
    return state;
}

// The chunk's values; equal values compare equal whatever their bits.
std::vector<float> valuesOf(const std::vector<uint8_t>& chunk)
{
    std::vector<float> values(chunk.size() / sizeof(float));
    std::memcpy(values.data(), chunk.data(), values.size() * sizeof(float));
    return values;
}

bool inUnitRange(float value)
{
    return value >= 0.0f && value <= 1.0f;
}

AEffect* prepared(uint8_t selector)
{
    AEffect* e = CreatePluginInstance(host);
    check(e != nullptr);
    call(e, effSetProgram, 0, (selector >> 1) & 3);
    e->setParameter(e, 0, selector & 8 ? 1.0f : 0.0f);
    return e;
}

void writeSeed(const char* folder, int number, uint8_t selector, const std::vector<uint8_t>& chunk)
{
    const std::string path = std::string(folder) + "/chunk-" + std::to_string(number);
    FILE* file = std::fopen(path.c_str(), "wb");
    check(file != nullptr);
    std::fputc(selector, file);
    std::fwrite(chunk.data(), 1, chunk.size(), file);
    std::fclose(file);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* folder = std::getenv("ZW_FUZZ_SEEDS");
    if (!folder)
        return 0;
    // Every program and bank chunk of the states a selector sets up.
    int number = 0;
    for (int selector = 0; selector < 16; ++selector)
    {
        AEffect* e = prepared(static_cast<uint8_t>(selector));
        writeSeed(folder, number++, static_cast<uint8_t>(selector), chunkOf(e, selector & 1));
        call(e, effClose);
    }
    std::exit(0);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const bool preset = data[0] & 1;
    AEffect* e = prepared(data[0]);
    const std::vector<uint8_t> before = stateOf(e);
    // A buffer of the host's own, exactly as long as the chunk.
    std::vector<uint8_t> chunk(data + 1, data + size);
    const VstIntPtr taken =
        call(e, effSetChunk, preset, static_cast<VstIntPtr>(chunk.size()), chunk.data());
    check(taken ==
          (CScopeEffect::isValidChunk(chunk.data(), static_cast<int32_t>(chunk.size()), preset)
               ? 1
               : 0));
    if (taken)
        check(valuesOf(chunkOf(e, preset)) == valuesOf(chunk));
    else
        check(stateOf(e) == before);
    check(inUnitRange(e->getParameter(e, 0)));

    // The same bytes as parameter values from a host, and their display.
    for (size_t at = 1; at + sizeof(float) <= size; at += sizeof(float))
    {
        float value;
        std::memcpy(&value, data + at, sizeof(value));
        e->setParameter(e, 0, value);
        check(inUnitRange(e->getParameter(e, 0)));
        char text[kMaxParamTextChars + 1];
        call(e, effGetParamDisplay, 0, 0, text);
        check(std::memchr(text, 0, sizeof(text)) != nullptr);
    }
    call(e, effClose);
    return 0;
}
