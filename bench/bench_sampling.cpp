// What a full resample of the field viewer costs for each built-in force field, in
// seconds per sample per field ("per_sample_field", e.g. 4.1n), against two plain
// loops measured in the same run:
//   baseline A: the resample's own arithmetic (lattice walk, transform, accumulation,
//               scaling, inverse transform, box) as one loop over plain arrays, making
//               one virtual Force call per sample to a field that holds its values:
//               the warp's force law, read once. What the host and plug-in aim at.
//   baseline B: the same loop over fields that answer zero: the floor of the interface.
// Sizes: the default viewer (51 x 51 x 1) and 201 x 201 x 201; one and three fields.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/warps/drag.h"
#include "app/warps/gravity.h"
#include "app/warps/uniform_force.h"
#include "app/warps/vortex.h"
#include "app/warps/wind.h"
#include "bench/support/bench_scene.h"
#include "bench/support/target_table.h"
#include "host/forcefield.h"

namespace {

constexpr const char* kKinds[] = {"Gravity", "Wind", "Vortex", "Drag", "UniformForce"};

struct LatticeSize {
    const char* name;
    int x, y, z;
};
constexpr LatticeSize kSizes[] = {{"51x51x1", 51, 51, 1}, {"201x201x201", 201, 201, 201}};
constexpr int kFieldCounts[] = {1, 3};
// The resample's target against baseline A.
constexpr double kResampleLimit = 1.25;

// The velocity and force factor of the viewer's sampling.
constexpr host::Point3 kSampleVelocity{0.0f, 0.0f, 1.0f};
constexpr float kForceFactor = 160000.0f;

// A viewer over `fields` nodes of one built-in class.
std::unique_ptr<zbench::ViewerScene> MakeScene(const char* kind, const LatticeSize& size, int fields) {
    auto scene = std::make_unique<zbench::ViewerScene>(size.x, size.y, size.z);
    for (int i = 0; i < fields; ++i) scene->AddForceNode(zbench::MakeBuiltin(kind));
    return scene;
}

// A field holding the force law of a built-in warp, read once from its block and node.
template <typename Law>
class HeldField final : public host::ForceField {
public:
    explicit HeldField(Law law) : law_(law) {}
    host::Point3 Force(host::TimeValue, const host::Point3& pos, const host::Point3& vel, int) override {
        return law_.At(pos, vel);
    }

private:
    Law law_;
};

class ZeroField final : public host::ForceField {
public:
    host::Point3 Force(host::TimeValue, const host::Point3&, const host::Point3&, int) override { return {}; }
};

template <typename Law>
host::ForceField* Hold(host::SceneNode& node) {
    return new HeldField<Law>(Law::Read(*node.GetObjectRef()->GetParamBlock(0), 0, node));
}

host::ForceField* HoldField(const std::string& kind, host::SceneNode& node) {
    if (kind == "Gravity") return Hold<zg::warps::GravityField>(node);
    if (kind == "Wind") return Hold<zg::warps::WindField>(node);
    if (kind == "Vortex") return Hold<zg::warps::VortexField>(node);
    if (kind == "Drag") return Hold<zg::warps::DragField>(node);
    return Hold<zg::warps::UniformForceField>(node);
}

// What a resample computes, written as one plain loop over the viewer's lattice.
class PlainResample {
public:
    PlainResample(zbench::ViewerScene& scene, const LatticeSize& size)
        : size_(size),
          n_(static_cast<std::size_t>(size.x) * size.y * size.z),
          vectors_(n_),
          bases_(n_),
          tm_(scene.ViewerNode()->GetObjectTM(0)),
          extent_(scene.Block()->GetFloat(scene.Param("sizeX")), scene.Block()->GetFloat(scene.Param("sizeY")),
                  scene.Block()->GetFloat(scene.Param("sizeZ"))),
          vectorScale_(scene.Block()->GetFloat(scene.Param("vectorScale"))) {}

    void Run(const std::vector<std::unique_ptr<host::ForceField>>& fields) {
        std::fill(vectors_.begin(), vectors_.end(), host::Point3());
        std::fill(bases_.begin(), bases_.end(), host::Point3());
        const Axis ax = Layout(extent_.x, size_.x);
        const Axis ay = Layout(extent_.y, size_.y);
        const Axis az = Layout(extent_.z, size_.z);
        for (const auto& field : fields) {
            host::Point3 p{ax.start, ay.start, az.start};
            int k = 0;
            for (int iz = 0; iz < size_.z; ++iz) {
                for (int iy = 0; iy < size_.y; ++iy) {
                    for (int ix = 0; ix < size_.x; ++ix) {
                        bases_[k] = p;
                        const host::Point3 world = tm_.PointTransform(p);
                        vectors_[k] += field->Force(0, world, kSampleVelocity, k) * kForceFactor;
                        ++k;
                        p.x += ax.step;
                    }
                    p.x = ax.start;
                    p.y += ay.step;
                }
                p.y = ay.start;
                p.z += az.step;
            }
        }
        const host::Matrix3 inverse = host::Inverse(tm_);
        for (host::Point3& v : vectors_) v = inverse.VectorTransform(v * vectorScale_);
        host::Point3 lo;
        host::Point3 hi;
        for (const host::Point3& v : vectors_) {
            for (int c = 0; c < 3; ++c) {
                if (lo[c] > v[c])
                    lo[c] = v[c];
                else if (hi[c] < v[c])
                    hi[c] = v[c];
            }
        }
        benchmark::DoNotOptimize(lo);
        benchmark::DoNotOptimize(hi);
        benchmark::ClobberMemory();
    }

private:
    struct Axis {
        float start = 0.0f;
        float step = 0.0f;
    };
    static Axis Layout(float size, int resolution) {
        if (resolution <= 1) return {};
        return {-size * 0.5f, size / static_cast<float>(resolution - 1)};
    }

    LatticeSize size_;
    std::size_t n_;
    std::vector<host::Point3> vectors_;
    std::vector<host::Point3> bases_;
    host::Matrix3 tm_;
    host::Point3 extent_;
    float vectorScale_;
};

void ReportPerSampleField(benchmark::State& state, double samples, int fields) {
    // Inverted rate: seconds per sample and field, printed with its SI prefix ("4.1n").
    state.counters["per_sample_field"] = benchmark::Counter(
        samples * fields, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void Resample(benchmark::State& state, const char* kind, LatticeSize size, int fields) {
    const auto scene = MakeScene(kind, size, fields);
    scene->Resample(0);  // the tables' pages are touched once before timing
    for (auto _ : state) {
        scene->Resample(0);
        benchmark::ClobberMemory();
    }
    ReportPerSampleField(state, scene->Samples(), fields);
}

void PlainLoop(benchmark::State& state, const char* kind, LatticeSize size, int fields) {
    const auto scene = MakeScene(kind == nullptr ? "UniformForce" : kind, size, fields);
    std::vector<std::unique_ptr<host::ForceField>> held;
    for (int i = 0; i < fields; ++i) {
        host::SceneNode* node = scene->Block()->GetNode(scene->Param("forceNodes"), 0, i);
        held.emplace_back(kind == nullptr ? new ZeroField() : HoldField(kind, *node));
    }
    PlainResample loop(*scene, size);
    loop.Run(held);
    for (auto _ : state) loop.Run(held);
    ReportPerSampleField(state, scene->Samples(), fields);
}

// A call at the cached time: the cache is reused, no field is asked.
void CachedCall(benchmark::State& state) {
    const auto scene = MakeScene("UniformForce", kSizes[0], 1);
    scene->Resample(0);
    for (auto _ : state) benchmark::DoNotOptimize(scene->LocalBox(0));
    ReportPerSampleField(state, scene->Samples(), 1);
}

std::string Name(const char* what, const char* kind, const LatticeSize& size, int fields) {
    return std::string(what) + "/" + (kind != nullptr ? std::string(kind) + "/" : "") + size.name +
           "/fields:" + std::to_string(fields);
}

void Register(benchmark::internal::Benchmark* b, const LatticeSize& size) {
    // The large lattice takes a good fraction of a second per pass.
    if (size.z > 1)
        b->Unit(benchmark::kMillisecond)->Iterations(1);
    else
        b->Unit(benchmark::kMicrosecond);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string targets = zbench::Initialize(argc, argv);
    for (const LatticeSize& size : kSizes) {
        for (int fields : kFieldCounts) {
            for (const char* kind : kKinds) {
                Register(benchmark::RegisterBenchmark(Name("Resample", kind, size, fields).c_str(), Resample, kind,
                                                      size, fields),
                         size);
                Register(benchmark::RegisterBenchmark(Name("PlainLoopA", kind, size, fields).c_str(), PlainLoop, kind,
                                                      size, fields),
                         size);
            }
            Register(benchmark::RegisterBenchmark(Name("ZeroLoopB", nullptr, size, fields).c_str(), PlainLoop,
                                                  static_cast<const char*>(nullptr), size, fields),
                     size);
        }
    }
    benchmark::RegisterBenchmark("CachedCall/51x51x1", CachedCall)->Unit(benchmark::kMicrosecond);

    zbench::RunKeeper keeper;
    benchmark::RunSpecifiedBenchmarks(&keeper);

    std::vector<zbench::TargetRow> rows;
    std::printf("\nplain loop A / zero loop B (how far the fields' own work lies above the floor):\n");
    for (const LatticeSize& size : kSizes) {
        for (int fields : kFieldCounts) {
            const double floor = keeper.Time(Name("ZeroLoopB", nullptr, size, fields));
            for (const char* kind : kKinds) {
                const std::string resample = Name("Resample", kind, size, fields);
                const std::string plain = Name("PlainLoopA", kind, size, fields);
                rows.push_back({zbench::Section::kSampling, "UpdateForces " + resample.substr(9), plain,
                                keeper.Time(resample) / keeper.Time(plain), kResampleLimit,
                                zbench::AtMost(kResampleLimit)});
                std::printf("  %-44s %6.2fx\n", plain.c_str(), keeper.Time(plain) / floor);
            }
        }
    }
    zbench::ReportTargets(targets, rows);
    benchmark::Shutdown();
    return 0;
}
