#include "lv2/Lv2Scope.h"

#include <new>

#include <lv2/atom/util.h>

#include "lv2/ScopePorts.h"
#include "plugin/SubnormalsAsZero.h"

static_assert(kBlockLength == kScopePoints && kBlockLength == kLatencyFrames,
              "one analysis block gives the UI its points and the host its latency");

namespace
{
// A sequence holding one Block message: the sequence's header, the event's,
// the object's body, and its properties, each padded to 8 bytes.
constexpr uint32_t kPropertyBytes = sizeof(LV2_Atom_Property_Body);
constexpr uint32_t kBlockMessageBytes =
    sizeof(LV2_Atom_Sequence) + sizeof(LV2_Atom_Event) + sizeof(LV2_Atom_Object_Body) +
    2 * (kPropertyBytes + sizeof(LV2_Atom_Vector_Body) + kScopePoints * sizeof(float)) +
    3 * (kPropertyBytes + 8);
// With the bands: three more values, the lowest, the block count and the rate.
constexpr uint32_t kBandsMessageBytes = kBlockMessageBytes + 6 * (kPropertyBytes + 8);
static_assert(kBandsMessageBytes <= kNotifyBufferBytes, "a message fits the notify port's size");

const LV2_Feature* findFeature(const LV2_Feature* const* features, const char* uri)
{
    for (; features && *features; ++features)
    {
        const char* a = (*features)->URI;
        const char* b = uri;
        while (*a && *a == *b)
            ++a, ++b;
        if (*a == *b)
            return *features;
    }
    return nullptr;
}
} // namespace

CLv2Scope* CLv2Scope::create(double sampleRate, const LV2_Feature* const* features)
{
    const LV2_Feature* map = findFeature(features, LV2_URID__map);
    try
    {
        auto* scope = new CLv2Scope(map ? static_cast<LV2_URID_Map*>(map->data) : nullptr);
        scope->sampleRate = static_cast<float>(sampleRate);
        scope->runner.setSampleRate(scope->sampleRate);
        return scope;
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

CLv2Scope::CLv2Scope(LV2_URID_Map* map) : mapped(map != nullptr), uris(), forge()
{
    if (!map)
        return;
    lv2_atom_forge_init(&forge, map);
    uris = mapScopeUris(map);
}

void CLv2Scope::connectPort(uint32_t port, void* data)
{
    float* value = static_cast<float*>(data);
    switch (port)
    {
    case kPortInLeft:
    case kPortInRight:
    case kPortOutLeft:
    case kPortOutRight:
        audio[port] = value;
        break;
    case kPortMono:
        mono = value;
        break;
    case kPortLatency:
        // Hosts may read it before the first run().
        if ((latency = value))
            *latency = static_cast<float>(kLatencyFrames);
        break;
    case kPortCorrelation:
        correlation = value;
        break;
    case kPortRangeMin:
        rangeMin = value;
        break;
    case kPortRangeMax:
        rangeMax = value;
        break;
    case kPortControl:
        control = static_cast<const LV2_Atom_Sequence*>(data);
        break;
    case kPortNotify:
        notify = static_cast<LV2_Atom_Sequence*>(data);
        break;
    default:
        break;
    }
}

void CLv2Scope::activate()
{
    runner.restart();
}

void CLv2Scope::run(uint32_t frames)
{
    SubnormalsAsZero subnormalsAsZero;
    readMessages();
    runner.setMono(mono && *mono > 0.0f);
    if (audio[kPortInLeft] && audio[kPortInRight] && audio[kPortOutLeft] && audio[kPortOutRight])
    {
        float* const inputs[2] = {audio[kPortInLeft], audio[kPortInRight]};
        float* const outputs[2] = {audio[kPortOutLeft], audio[kPortOutRight]};
        runner.run(inputs, outputs, frames);
    }
    writeOutputs(runner.takeFinishedBlocks() != 0);
}

void CLv2Scope::readMessages()
{
    if (!control || !mapped)
        return;
    LV2_ATOM_SEQUENCE_FOREACH(control, event)
    {
        const LV2_Atom& atom = event->body;
        // The host passes on what the UI forged, an atom:Object.
        if (atom.type != forge.Object || atom.size < sizeof(LV2_Atom_Object_Body))
            continue;
        const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&atom);
        if (object->body.otype == uris.resetRange)
            runner.resetRange();
        else if (object->body.otype == uris.bands)
        {
            const LV2_Atom* shown = nullptr;
            lv2_atom_object_get(object, uris.shown, &shown, 0);
            // Anything but a Bool that is true asks for none.
            runner.setBands(shown && shown->type == forge.Bool && shown->size >= sizeof(int32_t) &&
                            reinterpret_cast<const LV2_Atom_Bool*>(shown)->body != 0);
        }
    }
}

void CLv2Scope::writeOutputs(bool finishedBlock)
{
    const CCorrelationRange& range = runner.getRange();
    if (latency)
        *latency = static_cast<float>(kLatencyFrames);
    if (correlation)
        *correlation = runner.meterValue();
    if (rangeMin)
        *rangeMin = range.getMinimum();
    if (rangeMax)
        *rangeMax = range.getMaximum();

    // The host set the atom's size to the space there is. Whether that
    // counts the atom's own header is read differently by hosts; it is taken
    // as counting it, which is safe either way.
    const uint32_t space = notify ? notify->atom.size : 0;
    if (!mapped || space < sizeof(LV2_Atom_Sequence))
        return;
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(notify), space);
    LV2_Atom_Forge_Frame sequence;
    lv2_atom_forge_sequence_head(&forge, &sequence, 0);
    // The forge would write what fits of a message, a vector's header
    // without its points: a message goes whole or not at all.
    if (finishedBlock && space >= (runner.readsBands() ? kBandsMessageBytes : kBlockMessageBytes))
        forgeBlock();
    lv2_atom_forge_pop(&forge, &sequence);
}

void CLv2Scope::forgeBlock()
{
    const CCorrelationRange& range = runner.getRange();
    LV2_Atom_Forge_Frame object;
    lv2_atom_forge_frame_time(&forge, 0);
    lv2_atom_forge_object(&forge, &object, 0, uris.block);
    lv2_atom_forge_key(&forge, uris.side);
    lv2_atom_forge_vector(&forge, sizeof(float), forge.Float, kScopePoints, runner.sidePoints());
    lv2_atom_forge_key(&forge, uris.mid);
    lv2_atom_forge_vector(&forge, sizeof(float), forge.Float, kScopePoints, runner.midPoints());
    lv2_atom_forge_key(&forge, uris.correlation);
    lv2_atom_forge_float(&forge, runner.meterValue());
    lv2_atom_forge_key(&forge, uris.rangeMin);
    lv2_atom_forge_float(&forge, range.getMinimum());
    lv2_atom_forge_key(&forge, uris.rangeMax);
    lv2_atom_forge_float(&forge, range.getMaximum());
    if (runner.readsBands())
    {
        const LV2_URID keys[kBandCount] = {uris.bandLow, uris.bandMid, uris.bandHigh};
        for (int32_t band = 0; band < kBandCount; ++band)
        {
            lv2_atom_forge_key(&forge, keys[band]);
            lv2_atom_forge_float(&forge, runner.bandCorrelation(band));
        }
        lv2_atom_forge_key(&forge, uris.lowest);
        lv2_atom_forge_float(&forge, runner.takeLowest());
        lv2_atom_forge_key(&forge, uris.blockCount);
        lv2_atom_forge_long(&forge, static_cast<int64_t>(runner.getBlockCount()));
        lv2_atom_forge_key(&forge, uris.sampleRate);
        lv2_atom_forge_float(&forge, sampleRate);
    }
    lv2_atom_forge_pop(&forge, &object);
}
