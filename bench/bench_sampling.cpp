// What a full resample of the helper costs, and a call at the cached time, reported as
// seconds per sample per field ("per_sample_field", e.g. 72n). A plain loop doing the same
// arithmetic without the host interface (lattice walk, transform, force, accumulation,
// scaling, inverse transform) is the baseline; the ratios are printed at the end.
//
// The fields are UniformForce warps, whose force is a constant vector: what is
// measured is the sampling machinery, not a field's formula.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/plugins/plugin_module.h"
#include "app/scene/scene.h"
#include "app/warps/uniform_force.h"
#include "host/forcefield.h"
#include "host/paramblock.h"

namespace {

constexpr host::ParamID kResolutionX = 3;
constexpr host::ParamID kResolutionY = 4;
constexpr host::ParamID kResolutionZ = 5;
constexpr host::ParamID kForceNodes = 6;

// A scene with one helper and `fields` uniform-force nodes in its list; the helper's
// node is rotated and scaled so that the transforms do real work.
class SamplingScene {
public:
    SamplingScene(int resolutionX, int resolutionY, int resolutionZ, int fields) {
        std::string error;
        module_ = zg::plugins::PluginModule::Load(ZENTROGRAPH_PLUGIN_DIR "/Zentrograph.dlo", error);
        if (!module_) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::abort();
        }
        helper_ = static_cast<host::Object*>(module_->ClassAt(0)->Create(0));
        helperNode_ = scene_->AddNode("Helper", helper_, error);
        helperNode_->SetRotation(zg::scene::AnimatedPoint(host::Point3(10.0f, 20.0f, 30.0f)));
        helperNode_->SetScale(zg::scene::AnimatedPoint(host::Point3(2.0f, 2.0f, 2.0f)));
        host::ParamBlock* block = helper_->GetParamBlock(0);
        block->SetInt(kResolutionX, 0, resolutionX);
        block->SetInt(kResolutionY, 0, resolutionY);
        block->SetInt(kResolutionZ, 0, resolutionZ);
        for (int i = 0; i < fields; ++i) {
            auto* warp = static_cast<host::Object*>(zg::warps::UniformForceClassDesc()->Create(0));
            host::SceneNode* node = scene_->AddNode("Force" + std::to_string(i), warp, error);
            block->Append(kForceNodes, node);
        }
        samples_ = static_cast<double>(resolutionX) * resolutionY * resolutionZ;
    }
    ~SamplingScene() {
        scene_.reset();  // objects of the module go before the module
    }

    // A full resample: the cache is cleared, then the host asks for the local box.
    void Resample(host::TimeValue t) {
        helper_->WSStateInvalidate();
        Box(t);
    }
    host::Box3 Box(host::TimeValue t) {
        host::Box3 box;
        helper_->GetLocalBoundBox(t, helperNode_, nullptr, box);
        return box;
    }
    double Samples() const { return samples_; }
    host::Matrix3 HelperTM() { return helperNode_->GetObjectTM(0); }

private:
    std::unique_ptr<zg::plugins::PluginModule> module_;
    std::unique_ptr<zg::scene::Scene> scene_ = std::make_unique<zg::scene::Scene>();
    host::Object* helper_ = nullptr;
    zg::scene::Node* helperNode_ = nullptr;
    double samples_ = 0.0;
};

void ReportPerSampleField(benchmark::State& state, double samples, int fields) {
    // Inverted rate: seconds per sample and field, printed with its SI prefix ("72n").
    state.counters["per_sample_field"] =
        benchmark::Counter(samples * fields, benchmark::Counter::kIsIterationInvariantRate |
                                                 benchmark::Counter::kInvert);
}

void BM_Resample(benchmark::State& state) {
    const int res = static_cast<int>(state.range(0));
    const int resZ = static_cast<int>(state.range(1));
    const int fields = static_cast<int>(state.range(2));
    SamplingScene scene(res, res, resZ, fields);
    for (auto _ : state) {
        scene.Resample(0);
        benchmark::ClobberMemory();
    }
    ReportPerSampleField(state, scene.Samples(), fields);
}

void BM_CachedCall(benchmark::State& state) {
    SamplingScene scene(51, 51, 1, 1);
    scene.Resample(0);
    for (auto _ : state) benchmark::DoNotOptimize(scene.Box(0));
    ReportPerSampleField(state, scene.Samples(), 1);
}

// The same arithmetic as a resample, written as one loop over plain arrays.
void BM_Baseline(benchmark::State& state) {
    const int res = static_cast<int>(state.range(0));
    const int resZ = static_cast<int>(state.range(1));
    const int fields = static_cast<int>(state.range(2));
    const size_t n = static_cast<size_t>(res) * res * resZ;
    std::vector<host::Point3> vectors(n), bases(n);
    const host::Matrix3 tm = host::Matrix3::Scale(host::Point3(2.0f, 2.0f, 2.0f)) *
                             host::Matrix3::RotateX(0.17f) * host::Matrix3::RotateY(0.35f) *
                             host::Matrix3::RotateZ(0.52f);
    const float strength = 1.0f;
    const host::Point3 direction(0.0f, 0.0f, -1.0f);
    const float step = 1.0f / static_cast<float>(res - 1);
    const float stepZ = resZ > 1 ? 1.0f / static_cast<float>(resZ - 1) : 0.0f;
    const float startZ = resZ > 1 ? -0.5f : 0.0f;
    for (auto _ : state) {
        for (auto& v : vectors) v = host::Point3();
        for (int f = 0; f < fields; ++f) {
            host::Point3 p(-0.5f, -0.5f, startZ);
            size_t k = 0;
            for (int iz = 0; iz < resZ; ++iz) {
                for (int iy = 0; iy < res; ++iy) {
                    for (int ix = 0; ix < res; ++ix) {
                        bases[k] = p;
                        const host::Point3 w = tm.PointTransform(p);
                        benchmark::DoNotOptimize(w);
                        // The field's own formula, as its Force evaluates it.
                        vectors[k] += zg::warps::UniformForce(strength, direction) * 160000.0f;
                        ++k;
                        p.x += step;
                    }
                    p.x = -0.5f;
                    p.y += step;
                }
                p.y = -0.5f;
                p.z += stepZ;
            }
        }
        const host::Matrix3 inverse = host::Inverse(tm);
        for (auto& v : vectors) v = inverse.VectorTransform(v * 10.0f);
        benchmark::ClobberMemory();
    }
    ReportPerSampleField(state, static_cast<double>(n), fields);
}

// Keeps each run's time per iteration so that main can print the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration) times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

BENCHMARK(BM_Resample)->Args({51, 1, 1})->Args({51, 1, 3})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Resample)->Args({201, 201, 1})->Args({201, 201, 3})->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Baseline)->Args({51, 1, 1})->Args({51, 1, 3})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Baseline)->Args({201, 201, 1})->Args({201, 201, 3})->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CachedCall)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nhelper / plain loop, same lattice and fields:\n");
    for (const auto& [name, time] : reporter.times) {
        if (name.rfind("BM_Resample/", 0) != 0) continue;
        const std::string baseline = "BM_Baseline/" + name.substr(std::string("BM_Resample/").size());
        if (auto it = reporter.times.find(baseline); it != reporter.times.end() && it->second > 0.0)
            std::printf("  %-32s %6.2fx\n", name.c_str(), time / it->second);
    }
    benchmark::Shutdown();
    return 0;
}
