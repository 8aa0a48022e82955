#include "tests/plugin/plugin_fixture.h"

#include <memory>

namespace zgtest {

zg::plugins::PluginModule* ZentrographModule(std::string& error) {
    static std::string loadError;
    static std::unique_ptr<zg::plugins::PluginModule> module =
        zg::plugins::PluginModule::Load(ZENTROGRAPH_PLUGIN_DIR "/Zentrograph.dlo", loadError);
    error = loadError;
    return module.get();
}

void ReadProbe::Get(host::PB2Value& v, host::ReferenceMaker*, host::ParamID id, int, host::TimeValue,
                    host::Interval&) {
    if (id < 0 || id >= static_cast<host::ParamID>(reads_.size())) return;
    ++reads_[static_cast<std::size_t>(id)];
    if (const auto& value = floatOverrides_[static_cast<std::size_t>(id)]) v.f = *value;
}

void ReadProbe::OverrideFloat(host::ParamID id, float value) { floatOverrides_.at(static_cast<std::size_t>(id)) = value; }

namespace {

host::ParamDef ProbeParam(host::ParamID id, host::ParamType type, float f, int i, host::PBAccessor* accessor) {
    host::ParamDef def;
    def.id = id;
    def.internalName = "probe";
    def.type = type;
    def.defaultFloat = f;
    def.defaultInt = i;
    def.accessor = accessor;
    if (type == host::TYPE_INODE_TAB) def.flags = host::P_VARIABLE_SIZE;
    return def;
}

}  // namespace

ProbeBlockDesc::ProbeBlockDesc()
    : desc_(nullptr, host::BlockDef{.id = 0, .internalName = "Probe", .rollout = std::nullopt},
            {
                ProbeParam(pid::sizeX, host::TYPE_FLOAT, 1.0f, 0, &probe),
                ProbeParam(pid::sizeY, host::TYPE_FLOAT, 1.0f, 0, &probe),
                ProbeParam(pid::sizeZ, host::TYPE_FLOAT, 1.0f, 0, &probe),
                ProbeParam(pid::resolutionX, host::TYPE_INT, 0.0f, 51, &probe),
                ProbeParam(pid::resolutionY, host::TYPE_INT, 0.0f, 51, &probe),
                ProbeParam(pid::resolutionZ, host::TYPE_INT, 0.0f, 1, &probe),
                ProbeParam(pid::forceNodes, host::TYPE_INODE_TAB, 0.0f, 0, &probe),
                ProbeParam(pid::vectorScale, host::TYPE_FLOAT, 10.0f, 0, &probe),
                ProbeParam(pid::displayVectorBases, host::TYPE_BOOL, 0.0f, 0, &probe),
                ProbeParam(pid::displayLattice, host::TYPE_BOOL, 0.0f, 0, &probe),
            }) {}

host::ParamBlock* ProbeBlockDesc::InstallIn(host::ReferenceMaker* owner) {
    auto* block = new host::ParamBlock(&desc_);
    owner->ReplaceReference(0, block, true);
    return block;
}

void ZentrographTest::SetUp() {
    std::string error;
    zg::plugins::PluginModule* module = ZentrographModule(error);
    ASSERT_NE(module, nullptr) << error;
    desc = module->ClassAt(0);
    ASSERT_NE(desc, nullptr);
    object = dynamic_cast<host::Object*>(desc->Create(0));
    ASSERT_NE(object, nullptr);
    block = object->GetParamBlock(0);
    ASSERT_NE(block, nullptr);
    node.SetObject(object);
}

void ZentrographTest::TearDown() {
    if (object != nullptr) object->DeleteThis();
    object = nullptr;
    block = nullptr;
    host::FailHeapAllocations(0, 0);
}

FakeNode& ZentrographTest::AddNode(host::SceneObject* shown) {
    return sceneNodes.emplace_back(shown, "Node" + std::to_string(sceneNodes.size() + 2));
}

FakeForceWarp& ZentrographTest::AddForceWarp(ForceFunction force, host::Class_ID id) {
    FakeForceWarp& warp = warps.emplace_back(id, std::move(force));
    FakeNode& warpNode = AddNode(&warp);
    EXPECT_TRUE(block->Append(pid::forceNodes, &warpNode));
    return warp;
}

FakeNode& ZentrographTest::NodeOf(const FakeForceWarp& warp) {
    for (FakeNode& n : sceneNodes)
        if (n.GetObjectRef() == &warp) return n;
    ADD_FAILURE() << "no node shows this warp";
    return sceneNodes.front();
}

void ZentrographTest::SetSizes(float x, float y, float z) {
    ASSERT_TRUE(block->SetFloat(pid::sizeX, 0, x));
    ASSERT_TRUE(block->SetFloat(pid::sizeY, 0, y));
    ASSERT_TRUE(block->SetFloat(pid::sizeZ, 0, z));
}

void ZentrographTest::SetResolutions(int x, int y, int z) {
    ASSERT_TRUE(block->SetInt(pid::resolutionX, 0, x));
    ASSERT_TRUE(block->SetInt(pid::resolutionY, 0, y));
    ASSERT_TRUE(block->SetInt(pid::resolutionZ, 0, z));
}

int ZentrographTest::ForceCalls() const {
    int n = 0;
    for (const FakeForceWarp& warp : warps) n += static_cast<int>(warp.Calls().size());
    return n;
}

host::Box3 ZentrographTest::LocalBox(host::TimeValue t) {
    host::Box3 box;
    object->GetLocalBoundBox(t, &node, &viewport, box);
    return box;
}

host::Box3 ZentrographTest::WorldBox(host::TimeValue t) {
    host::Box3 box;
    object->GetWorldBoundBox(t, &node, &viewport, box);
    return box;
}

void ZentrographTest::Draw(host::TimeValue t) {
    gw.Clear();
    EXPECT_EQ(object->Display(t, &node, &viewport, 0), 0);
}

void ZentrographTest::InstallProbeBlock() {
    block = probeDesc.InstallIn(object);
    ASSERT_EQ(object->GetParamBlock(0), block);
}

}  // namespace zgtest
