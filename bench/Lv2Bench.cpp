// LV2 plug-ins as a host runs them, through liblilv: one file in blocks of
// 1764 frames (40 ms at 44.1 kHz), each block copied into the plug-in's
// input buffers and run. The floor is the same loop with a copy from the
// input to the output buffers where the plug-in would run. Prints the
// thread's CPU time per frame, the best of several passes.
//
//   lv2_bench [--passes N] FILE.wav URI...
//
// The plug-ins come from LV2_PATH. Control inputs sit at their defaults,
// atom inputs get empty sequences and atom outputs the space they ask for
// (at least 8 KiB), made empty again before every block, as hosts do.

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/resize-port/resize-port.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "audio/WaveReader.h"
#include "report/StdFile.h"

namespace
{
constexpr uint32_t kBlock = 1764;
constexpr uint32_t kLeastAtomBytes = 8192;

struct UridMap
{
    std::map<std::string, LV2_URID> ids;
    std::vector<std::string> uris;
    LV2_URID map(const char* uri)
    {
        auto found = ids.find(uri);
        if (found != ids.end())
            return found->second;
        uris.emplace_back(uri);
        return ids[uri] = static_cast<LV2_URID>(uris.size());
    }
    const char* unmap(LV2_URID id) const
    {
        return id >= 1 && id <= uris.size() ? uris[id - 1].c_str() : nullptr;
    }
};

double threadSeconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Signal
{
    std::vector<float> left, right;
    uint32_t frames() const { return static_cast<uint32_t>(left.size()); }
};

bool readFile(const char* path, Signal& signal)
{
    CStdFile file;
    std::string error;
    CWaveReader reader;
    if (!file.open(path, error) || reader.open(&file, 65536) != kWaveOpened ||
        reader.getChannels() != 2)
    {
        std::fprintf(stderr, "lv2_bench: %s is no stereo WAV file %s\n", path, error.c_str());
        return false;
    }
    signal.left.resize(static_cast<size_t>(reader.getLength()));
    signal.right.resize(signal.left.size());
    for (int64_t done = 0; done < reader.getLength(); done += 65536)
    {
        float* channels[2] = {&signal.left[done], &signal.right[done]};
        const int64_t n = std::min<int64_t>(65536, reader.getLength() - done);
        reader.read(channels, 0, static_cast<int32_t>(n));
    }
    return true;
}

// The host's side of one run: its buffers, filled from the signal.
struct Buffers
{
    float in[2][kBlock];
    float out[2][kBlock];
    void fill(const Signal& signal, uint32_t at, uint32_t n)
    {
        std::memcpy(in[0], &signal.left[at], n * sizeof(float));
        std::memcpy(in[1], &signal.right[at], n * sizeof(float));
    }
};

// One plug-in instance with every port connected; null when it cannot be.
struct Plugin
{
    LilvInstance* instance = nullptr;
    bool active = false;
    std::vector<float> controls;
    std::vector<std::vector<uint64_t>> atoms;
    std::vector<std::pair<LV2_Atom*, uint32_t>> outputAtoms;
    LV2_URID chunk = 0;

    ~Plugin()
    {
        if (active)
            lilv_instance_deactivate(instance);
        if (instance)
            lilv_instance_free(instance);
    }

    bool load(LilvWorld* world, const char* uri, UridMap& urids, const LV2_Feature* const* features,
              Buffers& buffers)
    {
        LilvNode* name = lilv_new_uri(world, uri);
        const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), name);
        lilv_node_free(name);
        if (!plugin)
        {
            std::fprintf(stderr, "lv2_bench: %s is not installed\n", uri);
            return false;
        }
        instance = lilv_plugin_instantiate(plugin, 44100.0, features);
        if (!instance)
        {
            std::fprintf(stderr, "lv2_bench: %s does not instantiate\n", uri);
            return false;
        }
        auto node = [&](const char* u) { return lilv_new_uri(world, u); };
        LilvNode* audio = node(LV2_CORE__AudioPort);
        LilvNode* control = node(LV2_CORE__ControlPort);
        LilvNode* atom = node(LV2_ATOM__AtomPort);
        LilvNode* input = node(LV2_CORE__InputPort);
        LilvNode* minimumSize = node(LV2_RESIZE_PORT__minimumSize);
        chunk = urids.map(LV2_ATOM__Chunk);
        const uint32_t count = lilv_plugin_get_num_ports(plugin);
        controls.assign(count, 0.0f);
        atoms.resize(count);
        uint32_t audioIn = 0, audioOut = 0;
        bool ok = true;
        for (uint32_t i = 0; i < count; ++i)
        {
            const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
            const bool in = lilv_port_is_a(plugin, port, input);
            if (lilv_port_is_a(plugin, port, audio))
            {
                uint32_t& index = in ? audioIn : audioOut;
                float* target = index < 2 ? (in ? buffers.in : buffers.out)[index] : nullptr;
                ++index;
                lilv_instance_connect_port(instance, i, target);
                ok = ok && target;
            }
            else if (lilv_port_is_a(plugin, port, control))
            {
                LilvNode* value = nullptr;
                lilv_port_get_range(plugin, port, &value, nullptr, nullptr);
                controls[i] = value ? lilv_node_as_float(value) : 0.0f;
                lilv_node_free(value);
                lilv_instance_connect_port(instance, i, &controls[i]);
            }
            else if (lilv_port_is_a(plugin, port, atom))
            {
                LilvNodes* sizes = lilv_port_get_value(plugin, port, minimumSize);
                uint32_t bytes = kLeastAtomBytes;
                if (sizes && lilv_nodes_size(sizes))
                    bytes =
                        std::max<uint32_t>(bytes, lilv_node_as_int(lilv_nodes_get_first(sizes)));
                lilv_nodes_free(sizes);
                atoms[i].assign(bytes / 8 + 1, 0);
                auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(atoms[i].data());
                if (in)
                    *sequence = {{sizeof(LV2_Atom_Sequence_Body), urids.map(LV2_ATOM__Sequence)},
                                 {0, 0}};
                else
                    outputAtoms.push_back({&sequence->atom, bytes});
                lilv_instance_connect_port(instance, i, sequence);
            }
            else
            {
                lilv_instance_connect_port(instance, i, nullptr);
            }
        }
        for (LilvNode* n : {audio, control, atom, input, minimumSize})
            lilv_node_free(n);
        if (!ok || audioIn != 2)
        {
            std::fprintf(stderr, "lv2_bench: %s is not a stereo effect\n", uri);
            return false;
        }
        lilv_instance_activate(instance);
        active = true;
        return true;
    }

    void run(uint32_t n)
    {
        for (auto& [atom, bytes] : outputAtoms)
            *atom = {bytes, chunk};
        lilv_instance_run(instance, n);
    }
};

// Best seconds of CPU time over the passes for one pass over the signal.
template <typename Step> double best(int passes, const Signal& signal, Buffers& buffers, Step step)
{
    double fastest = 1e30;
    for (int pass = 0; pass < passes; ++pass)
    {
        const double start = threadSeconds();
        for (uint32_t at = 0; at < signal.frames(); at += kBlock)
        {
            const uint32_t n = std::min(kBlock, signal.frames() - at);
            buffers.fill(signal, at, n);
            step(n);
        }
        fastest = std::min(fastest, threadSeconds() - start);
    }
    return fastest;
}
} // namespace

int main(int argc, char** argv)
{
    int passes = 3;
    int first = 1;
    if (argc > 2 && !std::strcmp(argv[1], "--passes"))
    {
        passes = std::max(1, std::atoi(argv[2]));
        first = 3;
    }
    if (argc - first < 2)
    {
        std::fprintf(stderr, "usage: lv2_bench [--passes N] FILE.wav URI...\n");
        return 3;
    }
    Signal signal;
    if (!readFile(argv[first], signal))
        return 2;

    UridMap urids;
    LV2_URID_Map map{&urids, [](LV2_URID_Map_Handle h, const char* uri)
                     { return static_cast<UridMap*>(h)->map(uri); }};
    LV2_URID_Unmap unmap{&urids, [](LV2_URID_Unmap_Handle h, LV2_URID id)
                         { return static_cast<UridMap*>(h)->unmap(id); }};
    const LV2_Feature mapFeature{LV2_URID__map, &map};
    const LV2_Feature unmapFeature{LV2_URID__unmap, &unmap};
    const LV2_Feature* features[] = {&mapFeature, &unmapFeature, nullptr};
    LilvWorld* world = lilv_world_new();
    lilv_world_load_all(world);

    static Buffers buffers;
    const double frames = signal.frames();
    const double floor = best(passes, signal, buffers,
                              [&](uint32_t n)
                              {
                                  std::memcpy(buffers.out[0], buffers.in[0], n * sizeof(float));
                                  std::memcpy(buffers.out[1], buffers.in[1], n * sizeof(float));
                              });
    std::printf("%.0f frames (%.1f min at 44.1 kHz) in blocks of %u, best of %d passes, "
                "thread CPU time\n",
                frames, frames / 44100.0 / 60.0, kBlock, passes);
    std::printf("%-44s %8s %12s %22s\n", "", "ns/frame", "above floor", "first one faster by");
    std::printf("%-44s %8.3f\n", "floor: copy in, copy through", floor / frames * 1e9);
    int failures = 0;
    double firstSeconds = 0.0;
    for (int i = first + 1; i < argc; ++i)
    {
        Plugin plugin;
        if (!plugin.load(world, argv[i], urids, features, buffers))
        {
            ++failures;
            continue;
        }
        const double seconds = best(passes, signal, buffers, [&](uint32_t n) { plugin.run(n); });
        std::printf("%-44s %8.3f %12.3f", argv[i], seconds / frames * 1e9,
                    (seconds - floor) / frames * 1e9);
        if (i == first + 1)
            firstSeconds = seconds;
        else
            std::printf("   %5.1f x (%5.1f x above floor)", seconds / firstSeconds,
                        (seconds - floor) / (firstSeconds - floor));
        std::printf("\n");
    }
    lilv_world_free(world);
    return failures ? 1 : 0;
}
