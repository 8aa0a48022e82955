// The Zentrograph module as the host loads it, and a fixture that creates one object
// through the module's class descriptor and shows it through a fake node, viewport
// and graphics window. Tests reach the object only through host interfaces.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/plugins/plugin_module.h"
#include "host/classdesc.h"
#include "host/object.h"
#include "host/paramblock.h"
#include "tests/support/plugin_fakes.h"

namespace zgtest {

// The module loaded from the build's plug-in folder, once per test program; none when
// it cannot be loaded, with the loader's message in `error`.
zg::plugins::PluginModule* ZentrographModule(std::string& error);

// Parameter ids of the object's block 0.
namespace pid {
inline constexpr host::ParamID sizeX = 0;
inline constexpr host::ParamID sizeY = 1;
inline constexpr host::ParamID sizeZ = 2;
inline constexpr host::ParamID resolutionX = 3;
inline constexpr host::ParamID resolutionY = 4;
inline constexpr host::ParamID resolutionZ = 5;
inline constexpr host::ParamID forceNodes = 6;
inline constexpr host::ParamID vectorScale = 7;
inline constexpr host::ParamID displayVectorBases = 8;
inline constexpr host::ParamID displayLattice = 9;
}  // namespace pid

inline constexpr host::Class_ID kZentrographId{0x0F016797, 0x762B0972};

// Counts the reads of every parameter that names it and can answer a value of its own
// in place of the stored one, the way a host accessor may.
class ReadProbe : public host::PBAccessor {
public:
    void Get(host::PB2Value& v, host::ReferenceMaker* owner, host::ParamID id, int tabIndex, host::TimeValue t,
             host::Interval& valid) override;

    int Reads(host::ParamID id) const { return reads_.at(static_cast<std::size_t>(id)); }
    void ResetReads() { reads_.fill(0); }
    void OverrideFloat(host::ParamID id, float value);

private:
    std::array<int, 10> reads_{};
    std::array<std::optional<float>, 10> floatOverrides_{};
};

// A block with the same ten parameter ids as the object's block 0 but no clamping and
// no validator, every parameter read through a ReadProbe. Lets a test store values
// that the object's own block would clamp or refuse.
class ProbeBlockDesc {
public:
    ProbeBlockDesc();
    // A new block with the defaults of block 0, installed as `owner`'s reference 0; the
    // block the owner had is released.
    host::ParamBlock* InstallIn(host::ReferenceMaker* owner);

    ReadProbe probe;

private:
    host::ParamBlockDesc2 desc_;
};

class ZentrographTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A node of the fixture's scene showing `object`.
    FakeNode& AddNode(host::SceneObject* object);
    // A space warp with its own node, appended to forceNodes of the current block.
    FakeForceWarp& AddForceWarp(ForceFunction force = ConstantForce({0.0f, 0.0f, host::kForceUnit}),
                                host::Class_ID id = FakeForceWarp::kPlainWarpId);
    FakeNode& NodeOf(const FakeForceWarp& warp);

    void SetSizes(float x, float y, float z);
    void SetResolutions(int x, int y, int z);
    // Force calls over every warp of the fixture.
    int ForceCalls() const;

    host::Box3 LocalBox(host::TimeValue t = 0);
    host::Box3 WorldBox(host::TimeValue t = 0);
    // Display into the recording window, cleared first.
    void Draw(host::TimeValue t = 0);
    // The recorded segments as (start, end) pairs.
    std::vector<GwCall> Segments() const { return gw.Of(GwOp::Segment); }
    // Swaps the object's block for a probe block; `block` follows.
    void InstallProbeBlock();

    host::ClassDesc2* desc = nullptr;
    host::Object* object = nullptr;
    host::ParamBlock* block = nullptr;
    FakeNode node;  // the node that shows the object
    RecordingGraphicsWindow gw;
    FakeViewport viewport{&gw};
    ProbeBlockDesc probeDesc;
    std::deque<FakeForceWarp> warps;
    std::deque<FakeHelper> helpers;
    std::deque<FakeNode> sceneNodes;
};

}  // namespace zgtest
