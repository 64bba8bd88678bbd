#pragma once

// The LV2 plug-in driven through its descriptor as a host drives it, for
// the plug-in's tests and the UI's, which hands the UI the messages it makes.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include "lv2/ScopePorts.h"

extern "C" const LV2_Descriptor* lv2_descriptor(uint32_t index);

// One instance with its control and atom ports connected to the host's own
// buffers; the audio ports are connected anew for every run, as hosts may.
struct Host
{
    Host()
    {
        const LV2_Feature mapFeature{LV2_URID__map, &map};
        const LV2_Feature* features[] = {&mapFeature, nullptr};
        instance = d->instantiate(d, 44100.0, "", features);
        lv2_atom_forge_init(&forge, &map);
        float* controls[] = {&mono, &latency, &correlation, &rangeMin, &rangeMax};
        for (uint32_t port = kPortMono; port <= kPortRangeMax; ++port)
            d->connect_port(instance, port, controls[port - kPortMono]);
        d->connect_port(instance, kPortControl, control);
        d->connect_port(instance, kPortNotify, notify);
        d->activate(instance);
    }
    ~Host() { d->cleanup(instance); }

    LV2_URID urid(const char* uri) { return map.map(this, uri); }

    // n frames from in to out, the UI's reset first if asked and the UI's
    // message if given, with notify's space as given. Returns how many Block
    // messages notify then holds; message is the last.
    size_t run(float* const in[2], float* const out[2], uint32_t n, bool reset = false,
               uint32_t space = sizeof(notify), const LV2_Atom* fromUi = nullptr)
    {
        LV2_Atom_Forge_Frame sequence, object;
        lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(control), sizeof(control));
        lv2_atom_forge_sequence_head(&forge, &sequence, 0);
        if (reset)
        {
            lv2_atom_forge_frame_time(&forge, 0);
            lv2_atom_forge_object(&forge, &object, 0, urid(ZW_LV2__ResetRange));
            lv2_atom_forge_pop(&forge, &object);
        }
        if (fromUi)
        {
            lv2_atom_forge_frame_time(&forge, 0);
            lv2_atom_forge_write(&forge, fromUi, lv2_atom_total_size(fromUi));
        }
        lv2_atom_forge_pop(&forge, &sequence);
        auto* sent = reinterpret_cast<LV2_Atom_Sequence*>(notify);
        sent->atom = {space, urid(LV2_ATOM__Chunk)};
        for (uint32_t ch = 0; ch < 2; ++ch)
        {
            d->connect_port(instance, kPortInLeft + ch, in[ch]);
            d->connect_port(instance, kPortOutLeft + ch, out[ch]);
        }
        d->run(instance, n);
        size_t messages = 0;
        EXPECT_TRUE(space < sizeof(LV2_Atom_Sequence) ||
                    sent->atom.type == urid(LV2_ATOM__Sequence));
        LV2_ATOM_SEQUENCE_FOREACH(sent, event)
        {
            message = reinterpret_cast<const LV2_Atom_Object*>(&event->body);
            EXPECT_EQ(message->body.otype, urid(ZW_LV2__Block));
            ++messages;
        }
        return messages;
    }

    // Looked up without a string made, so that the host's runs allocate nothing.
    std::map<std::string, LV2_URID, std::less<>> urids;
    LV2_URID_Map map{this, [](LV2_URID_Map_Handle h, const char* uri)
                     {
                         auto& known = static_cast<Host*>(h)->urids;
                         const auto found = known.find(uri);
                         return found != known.end() ? found->second
                                                     : (known[uri] = known.size() + 1);
                     }};
    const LV2_Descriptor* d = lv2_descriptor(0);
    LV2_Handle instance;
    LV2_Atom_Forge forge;
    const LV2_Atom_Object* message = nullptr;
    float mono = 0.0f, latency = -1.0f, correlation = -9.0f, rangeMin = -9.0f, rangeMax = -9.0f;
    uint64_t control[32] = {};
    uint64_t notify[kNotifyBufferBytes / 8] = {};
};
