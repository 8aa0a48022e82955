// zentrograph._core: the Python module's native part. It holds scenes of the
// application's own scene library, loaded through the same class directory, reader,
// checks and messages as the `zentrograph` program, and hands samples to numpy
// without copying them.
//
// Threads: every call into a scene reaches plug-in code, so a scene answers only the
// thread that made it (the program's UI thread rule); a call from another thread
// raises. The interpreter lock is released only around work that calls no plug-in:
// encoding images and animations, and transforming samples to world space.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <fmt/format.h>
#include <fmt/ranges.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <memory>
#include <random>
#include <sstream>
#include <thread>

#include "app/cli/commands.h"
#include "app/cli/scene_loading.h"
#include "app/files/input_file.h"
#include "app/render/scene_render.h"
#include "app/samples/sample_capture.h"
#include "app/scene/demo_scene.h"
#include "app/scene/frame_list.h"
#include "app/scene/param_access.h"
#include "app/scene/placeholder.h"
#include "app/scene/scene_file.h"
#include "app/text/json_numbers.h"
#include "app/validate/validation.h"

namespace py = pybind11;

namespace zg::python {

namespace {

static_assert(sizeof(host::Point3) == 3 * sizeof(float), "samples are handed to numpy as packed float triples");

// The program's one-line errors, raised as zentrograph.Error.
py::object& ErrorType() {
    static py::object type;
    return type;
}

[[noreturn]] void Raise(const std::string& message) {
    PyErr_SetString(ErrorType().ptr(), message.c_str());
    throw py::error_already_set();
}

void Warn(const std::string& line) { PyErr_WarnEx(PyExc_UserWarning, line.c_str(), 1); }

// The classes of one plug-in folder and the host's built-ins: what the program's
// commands load before they read a scene.
class Classes {
public:
    explicit Classes(const std::string& folder) : folder_(folder) {
        std::ostringstream problems;
        cli::CommandContext ctx{folder, &problems, &problems};
        cli::LoadClasses(ctx, directory_);
        std::istringstream lines(problems.str());
        for (std::string line; std::getline(lines, line);) problems_.push_back(line);
    }
    plugins::ClassDirectory& Directory() { return directory_; }
    const std::vector<std::string>& Problems() const { return problems_; }
    const std::string& Folder() const { return folder_; }

private:
    std::string folder_;
    plugins::ClassDirectory directory_;
    std::vector<std::string> problems_;
};

// A scene and the classes its objects come from; the scene goes first.
class SceneHandle {
public:
    SceneHandle(std::shared_ptr<Classes> classes, std::unique_ptr<scene::Scene> scene, std::string title)
        : classes_(std::move(classes)), scene_(std::move(scene)), title_(std::move(title)) {}
    ~SceneHandle() { scene_.reset(); }

    // The scene, for the thread that made it only.
    scene::Scene& Get() const {
        if (std::this_thread::get_id() != owner_)
            throw std::runtime_error("a scene answers only the thread that made it: plug-ins are called on one thread");
        return *scene_;
    }
    plugins::ClassDirectory& Directory() const { return classes_->Directory(); }
    const std::string& Title() const { return title_; }
    void SetTitle(std::string title) { title_ = std::move(title); }

    scene::Node& NodeNamed(const std::string& name) const {
        scene::Node* node = Get().FindNode(name);
        if (node == nullptr) throw py::key_error(fmt::format("no node named \"{}\" in the scene", name));
        return *node;
    }

    host::TimeValue Ticks(const std::optional<double>& frame) const {
        std::string error;
        const auto t = Get().Rate().FrameToTicks(frame.value_or(Get().StartFrame()), error);
        if (!t) Raise("frame: " + error);
        return *t;
    }

private:
    std::shared_ptr<Classes> classes_;
    std::unique_ptr<scene::Scene> scene_;
    std::string title_;
    std::thread::id owner_ = std::this_thread::get_id();
};

using Handle = std::shared_ptr<SceneHandle>;

std::string ProgramTitle(const std::string& path) {
    return fmt::format("Zentrograph  \u00b7  {}", files::InputName(path));
}

Handle LoadScene(const std::shared_ptr<Classes>& classes, const std::string& path) {
    std::string error;
    scene::SceneWarnings warnings;
    std::unique_ptr<scene::Scene> loaded =
        scene::LoadSceneFile(path, session::ResolverFor(classes->Directory()), error, &warnings);
    if (!loaded) Raise(error);
    for (const std::string& line : warnings) Warn("warning: " + line);
    return std::make_shared<SceneHandle>(classes, std::move(loaded), ProgramTitle(path));
}

Handle DemoScene(const std::shared_ptr<Classes>& classes) {
    std::string error;
    auto scene = scene::ReadScene(scene::DemoSceneText(), scene::kDemoSceneName,
                                  session::ResolverFor(classes->Directory()), error);
    if (!scene) Raise(fmt::format("{} (is the Zentrograph plug-in in {}?)", error, classes->Folder()));
    return std::make_shared<SceneHandle>(classes, std::move(scene),
                                         "Zentrograph  \u00b7  demo: vortex, spherical gravity and turbulent wind");
}

Handle NewScene(const std::shared_ptr<Classes>& classes, long long fps, int first, int last) {
    std::string error;
    const auto rate = scene::FrameRate::FromFps(fps, error);
    if (!rate) Raise("fps: " + error);
    auto scene = std::make_unique<scene::Scene>(*rate);
    if (!rate->FrameToTicks(first) || !rate->FrameToTicks(last)) Raise("frames: frame lies outside the time range");
    if (!scene->SetFrameRange(first, last)) Raise("frames: the first frame comes after the last");
    return std::make_shared<SceneHandle>(classes, std::move(scene), "Zentrograph  \u00b7  new scene");
}

void SaveScene(const Handle& h, const std::string& path) {
    std::string error;
    if (!scene::SaveSceneFile(h->Get(), path, session::ResolverFor(h->Directory()), error)) Raise(error);
    h->SetTitle(ProgramTitle(path));
}

// ---- Nodes and parameters -------------------------------------------------------------

std::string ClassNameOf(const Handle& h, scene::Node& node) {
    host::Object* object = node.GetObjectRef();
    if (object == nullptr) return {};
    if (const scene::PlaceholderObject* placeholder = scene::AsPlaceholder(object)) return placeholder->MissingClass();
    const plugins::ClassEntry* entry = h->Directory().Find(object->SuperClassID(), object->ClassID());
    return entry != nullptr ? scene::FileClassName(entry->desc) : std::string();
}

py::object ParamToPython(const scene::ParamValue& value) {
    return std::visit([](const auto& v) -> py::object { return py::cast(v); }, value);
}

// A Python value as a parameter value: bool before int, since a bool is an int.
scene::ParamValue ParamFromPython(const py::handle& value) {
    if (py::isinstance<py::bool_>(value)) return value.cast<bool>();
    if (py::isinstance<py::int_>(value)) {
        try {
            return value.cast<long long>();
        } catch (const py::cast_error&) {
            return value.cast<double>();
        }
    }
    if (py::isinstance<py::float_>(value)) return value.cast<double>();
    // numpy's scalars: whole numbers have __index__, the others __float__.
    if (py::hasattr(value, "__index__") && !py::isinstance<py::sequence>(value)) {
        PyObject* whole = PyNumber_Index(value.ptr());
        if (whole == nullptr) throw py::error_already_set();
        return ParamFromPython(py::reinterpret_steal<py::object>(whole));
    }
    if (py::hasattr(value, "__float__") && !py::isinstance<py::sequence>(value))
        return py::float_(py::reinterpret_borrow<py::object>(value)).cast<double>();
    if (py::isinstance<py::str>(value) || !py::isinstance<py::sequence>(value))
        throw py::type_error(fmt::format("expected a number, True or False, or a list of node names, not {}",
                                         std::string(py::str(value.get_type().attr("__name__")))));
    scene::NodeNames names;
    for (const py::handle item : value) {
        if (item.is_none())
            names.emplace_back(std::nullopt);
        else if (py::isinstance<py::str>(item))
            names.emplace_back(item.cast<std::string>());
        else if (py::hasattr(item, "name"))
            names.emplace_back(item.attr("name").cast<std::string>());
        else
            throw py::type_error("a node table holds node names, nodes or None");
    }
    return names;
}

scene::FoundParam ParamNamed(const Handle& h, const std::string& node, const std::string& name) {
    scene::Node& n = h->NodeNamed(node);
    const scene::FoundParam found = scene::FindParam(n.GetObjectRef(), name);
    if (found.def == nullptr)
        throw py::key_error(fmt::format("class {} has no parameter \"{}\"", ClassNameOf(h, n), name));
    return found;
}

py::object GetParam(const Handle& h, const std::string& node, const std::string& name) {
    const auto value = scene::ReadParam(ParamNamed(h, node, name), 0);
    if (!value) throw py::type_error(fmt::format("parameter \"{}\" has a type that cannot be read", name));
    return ParamToPython(*value);
}

void SetParam(const Handle& h, const std::string& node, const std::string& name, const py::handle& value) {
    const scene::FoundParam found = ParamNamed(h, node, name);
    std::string error;
    if (!scene::StoreParam(h->Get(), found, ParamFromPython(value), error))
        throw py::value_error(fmt::format("node \"{}\" parameter {}: {}", node, name, error));
}

// A transform value: (x, y, z), or [(frame, (x, y, z)), ...] keys.
scene::AnimatedPoint PointFromPython(const Handle& h, const py::handle& value, const char* what) {
    const auto point = [&](const py::handle& v) {
        const auto c = v.cast<std::vector<double>>();
        if (c.size() != 3) throw py::value_error(fmt::format("{}: expected (x, y, z)", what));
        host::Point3 p;
        for (int i = 0; i < 3; ++i) {
            const auto f = text::JsonToFloat(c[static_cast<std::size_t>(i)]);
            if (!f) throw py::value_error(fmt::format("{}: number is not finite or lies beyond the single-precision range", what));
            p[i] = *f;
        }
        return p;
    };
    const auto items = value.cast<py::sequence>();
    if (items.size() == 3 && !py::isinstance<py::sequence>(items[0])) return scene::AnimatedPoint(point(value));
    std::vector<scene::PointKey> keys;
    for (const py::handle key : items) {
        const auto pair = key.cast<py::sequence>();
        if (pair.size() != 2) throw py::value_error(fmt::format("{}: expected keys (frame, (x, y, z))", what));
        const auto t = h->Get().Rate().FrameToTicks(pair[0].cast<double>());
        if (!t) throw py::value_error(fmt::format("{}: frame lies outside the time range", what));
        keys.push_back({*t, point(pair[1])});
    }
    if (!scene::AnimatedPoint::KeysAreValid(keys))
        throw py::value_error(fmt::format("{}: keys need frames that increase from key to key", what));
    return scene::AnimatedPoint(std::move(keys));
}

py::object PointToPython(const Handle& h, const scene::AnimatedPoint& value) {
    const auto tuple = [](const host::Point3& p) { return py::make_tuple(p.x, p.y, p.z); };
    if (!value.IsAnimated()) return tuple(value.At(0));
    py::list keys;
    for (const scene::PointKey& key : value.Keys()) keys.append(py::make_tuple(h->Get().Rate().TicksToFrame(key.time), tuple(key.value)));
    return keys;
}

std::string AddNode(const Handle& h, const std::string& className, const std::optional<std::string>& name) {
    scene::Scene& scene = h->Get();
    host::ClassDesc2* desc = session::ResolverFor(h->Directory()).byName(className);
    if (desc == nullptr) Raise(fmt::format("no loaded module offers class \"{}\"", className));
    host::Animatable* made = desc->Create(1);
    if (made == nullptr) Raise(fmt::format("class {} could not make an object", className));
    if (!scene::IsObjectSuperClass(made)) {
        made->DeleteThis();
        Raise(fmt::format("class {} makes nothing a node can show", className));
    }
    auto* object = static_cast<host::Object*>(made);
    const std::string chosen = name ? *name : scene.UniqueName(className);
    std::string error;
    scene::Node* node = scene.AddNode(chosen, object, error);
    if (node == nullptr) {
        object->DeleteThis();
        Raise(error);
    }
    return chosen;
}

// ---- Samples and pictures --------------------------------------------------------------

py::array_t<float> PointArray(std::shared_ptr<samples::SampleSet> owner, std::vector<host::Point3>& points) {
    // The array reads the set's own memory; the capsule keeps the set (and its share
    // of the memory budget) alive as long as any array does.
    auto* keep = new std::shared_ptr<samples::SampleSet>(std::move(owner));
    py::capsule base(keep, [](void* p) { delete static_cast<std::shared_ptr<samples::SampleSet>*>(p); });
    return py::array_t<float>({static_cast<py::ssize_t>(points.size()), py::ssize_t{3}},
                              {py::ssize_t{sizeof(host::Point3)}, py::ssize_t{sizeof(float)}},
                              reinterpret_cast<float*>(points.data()), base);
}

py::tuple BoxTuple(const host::Box3& box) {
    if (box.IsEmpty()) return py::make_tuple(py::none(), py::none());
    return py::make_tuple(py::make_tuple(box.pmin.x, box.pmin.y, box.pmin.z), py::make_tuple(box.pmax.x, box.pmax.y, box.pmax.z));
}

py::dict Samples(const Handle& h, const std::string& object, const std::optional<double>& frame) {
    std::string error;
    scene::Scene& scene = h->Get();
    auto set = samples::CaptureSamples(scene, object, frame.value_or(scene.StartFrame()), error);
    if (!set) Raise(error);
    for (const std::string& line : samples::SampleWarnings(*set)) Warn(line);
    auto owned = std::make_shared<samples::SampleSet>(std::move(*set));
    const auto n = static_cast<py::ssize_t>(owned->positions.size());
    py::array_t<float> world({n, py::ssize_t{3}});
    {
        auto out = world.mutable_unchecked<2>();
        const py::gil_scoped_release unlocked;
        for (py::ssize_t i = 0; i < n; ++i) {
            const host::Point3 p = owned->objectTM.PointTransform(owned->positions[static_cast<std::size_t>(i)]);
            out(i, 0) = p.x;
            out(i, 1) = p.y;
            out(i, 2) = p.z;
        }
    }
    py::dict result;
    result["object"] = owned->object;
    result["frame"] = owned->frame;
    result["size"] = py::make_tuple(owned->size.x, owned->size.y, owned->size.z);
    result["resolution"] = py::make_tuple(owned->resolution[0], owned->resolution[1], owned->resolution[2]);
    result["shape"] = py::make_tuple(owned->resolution[2], owned->resolution[1], owned->resolution[0]);
    result["vector_scale"] = owned->vectorScale;
    result["local_box"] = BoxTuple(owned->localBox);
    result["world_box"] = BoxTuple(owned->worldBox);
    result["world_positions"] = world;
    result["positions"] = PointArray(owned, owned->positions);
    result["vectors"] = PointArray(owned, owned->vectors);
    return result;
}

render::RenderRequest Request(const Handle& h, const std::string& view, int width, int height,
                              const std::optional<double>& frame, double orbit) {
    render::RenderRequest request;
    request.view = view;
    request.width = width;
    request.height = height;
    request.frame = frame.value_or(h->Get().StartFrame());
    request.title = h->Title();
    request.orbitDegrees = orbit;
    return request;
}

py::bytes Render(const Handle& h, const std::string& view, int width, int height, const std::optional<double>& frame,
                 double orbit) {
    std::string error;
    render::RenderRequest request = Request(h, view, width, height, frame, orbit);
    const auto drawn = render::RenderScene(h->Get(), request, false, error);
    if (!drawn) Raise(error);
    for (const std::string& line : render::FrameWarnings(*drawn)) Warn(line);
    std::string png;
    bool encoded = false;
    {
        const py::gil_scoped_release unlocked;
        encoded = render::EncodeFrame(*drawn, render::OutputKind::kPng, png, error);
    }
    if (!encoded) Raise(error);
    return py::bytes(png);
}

py::bytes RenderAnimation(const Handle& h, const std::string& format, const std::vector<int>& frames,
                          const std::string& view, int width, int height, double orbit) {
    std::string error;
    const auto chosen = render::AnimationFormatNamed(format);
    if (!chosen) Raise(fmt::format("format {}: expected webp, gif or mp4", format));
    if (frames.empty()) Raise("an animation needs at least one frame");
    if (!render::AnimationFile::CheckSize(*chosen, width, height, error)) Raise("size: " + error);
    files::StringSink out;
    std::vector<std::string> warnings;
    if (!render::RenderAnimation(h->Get(), Request(h, view, width, height, std::nullopt, 0.0), *chosen, frames,
                                 render::OrbitOver(orbit, frames), out, {}, warnings, error))
        Raise(error);
    for (const std::string& line : warnings) Warn(line);
    return py::bytes(out.Text());
}

std::vector<int> FrameList(const std::string& text, const std::optional<std::string>& chunk) {
    std::string error;
    auto frames = scene::ParseFrameList(text, error);
    if (!frames) Raise(fmt::format("frames {}: {}", text, error));
    if (chunk) frames = scene::ChunkOfFrames(*frames, *chunk, error);
    if (!frames) Raise("chunk " + error);
    return *frames;
}

std::string Validate(const std::vector<std::string>& modules, const std::optional<uint64_t>& seed,
                     const std::vector<std::string>& checks) {
    validate::ValidationOptions options;
    const std::vector<std::string> known = validate::CheckNames();
    for (const std::string& check : checks) {
        if (std::find(known.begin(), known.end(), check) == known.end())
            Raise(fmt::format("check {}: no such check (the checks: {})", check, fmt::join(known, ", ")));
    }
    options.only = checks;
    for (const std::string& m : modules) {
        if (!std::filesystem::is_regular_file(m)) Raise(m + ": no such module file");
        options.modules.emplace_back(m);
    }
    options.seed = seed ? *seed : std::random_device()();
    return validate::ValidationJson(validate::Validate(options)).dump(-1, ' ', false,
                                                                       nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace

}  // namespace zg::python

PYBIND11_MODULE(_core, m) {
    using namespace zg::python;
    m.doc() = "The native part of the zentrograph module; use the zentrograph package instead.";
    ErrorType() = py::reinterpret_borrow<py::object>(PyErr_NewExceptionWithDoc(
        "zentrograph.Error", "A failure the zentrograph program reports, with its one-line message.", PyExc_Exception,
        nullptr));
    m.attr("Error") = ErrorType();
    m.attr("DEFAULT_PLUGIN_DIR") = ZENTROGRAPH_PLUGIN_DIR;

    py::class_<Classes, std::shared_ptr<Classes>>(m, "Classes", "The classes of one plug-in folder and the built-ins.")
        .def(py::init<const std::string&>(), py::arg("folder"))
        .def_property_readonly("problems", &Classes::Problems, "Lines about modules that could not be loaded.")
        .def_property_readonly("folder", &Classes::Folder)
        .def_property_readonly("class_names", [](Classes& c) {
            std::vector<std::string> names;
            for (const auto& entry : c.Directory().Classes()) names.push_back(zg::scene::FileClassName(entry.desc));
            return names;
        });

    py::class_<SceneHandle, Handle>(m, "SceneHandle", "A scene of the application's scene library.")
        .def_property_readonly("fps", [](const Handle& h) { return h->Get().Rate().Fps(); })
        .def_property_readonly("frame_range", [](const Handle& h) { return py::make_tuple(h->Get().StartFrame(), h->Get().EndFrame()); })
        .def_property_readonly("node_names", [](const Handle& h) {
            std::vector<std::string> names;
            for (int i = 0; i < h->Get().NodeCount(); ++i)
                if (auto* node = h->Get().NodeAt(i)) names.push_back(node->Name());
            return names;
        })
        .def("class_of", [](const Handle& h, const std::string& node) { return ClassNameOf(h, h->NodeNamed(node)); })
        .def("param_names", [](const Handle& h, const std::string& node) {
            return zg::scene::ParamNames(h->NodeNamed(node).GetObjectRef());
        })
        .def("get_param", &GetParam)
        .def("set_param", &SetParam)
        .def("get_transform", [](const Handle& h, const std::string& node, const std::string& which) {
            zg::scene::Node& n = h->NodeNamed(node);
            return PointToPython(h, which == "position" ? n.Position() : which == "rotation" ? n.Rotation() : n.Scale());
        })
        .def("set_transform", [](const Handle& h, const std::string& node, const std::string& which, const py::handle& value) {
            zg::scene::Node& n = h->NodeNamed(node);
            zg::scene::AnimatedPoint point = PointFromPython(h, value, which.c_str());
            if (which == "position") n.SetPosition(std::move(point));
            else if (which == "rotation") n.SetRotation(std::move(point));
            else n.SetScale(std::move(point));
        })
        .def("world_position", [](const Handle& h, const std::string& node, const std::optional<double>& frame) {
            const ::host::Point3 p = h->NodeNamed(node).GetObjectTM(h->Ticks(frame)).PointTransform({});
            return py::make_tuple(p.x, p.y, p.z);
        })
        .def("add", &AddNode)
        .def("remove", [](const Handle& h, const std::string& node) { h->Get().DeleteNode(&h->NodeNamed(node)); })
        .def("save", &SaveScene)
        .def("samples", &Samples)
        .def("render", &Render)
        .def("render_animation", &RenderAnimation)
        .def("check_frames", [](const Handle& h, const std::vector<int>& frames) {
            std::string error;
            if (!zg::scene::CheckFramesInTime(h->Get(), frames, error)) Raise("frames: " + error);
        })
        .def_property_readonly("title", &SceneHandle::Title);

    m.def("load_scene", &LoadScene);
    m.def("demo_scene", &DemoScene);
    m.def("new_scene", &NewScene);
    m.def("frame_list", &FrameList, py::arg("text"), py::arg("chunk") = py::none());
    m.def("orbit_at", [](double degrees, const std::vector<int>& frames, int frame) {
        return zg::render::OrbitOver(degrees, frames).At(frame);
    });
    m.def("validate", &Validate);
}
