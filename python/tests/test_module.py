"""The Python module against the program: the same samples, pictures, files and errors."""

import json
import threading

import numpy as np
import pytest

import zentrograph
from conftest import run


def test_samples_are_the_bits_the_samples_command_writes(vortex_file):
    scene = zentrograph.Scene.load(vortex_file)
    for frame in (0, 4.5):
        got = scene.samples("Viewer", frame=frame)
        written = json.loads(run("samples", str(vortex_file), "--object", "Viewer", "--frame", str(frame)).stdout)
        for key in ("positions", "vectors"):
            assert got[key].dtype == np.float32 and got[key].shape == (40, 3)
            assert np.array_equal(got[key], np.array(written[key], dtype=np.float32))
        assert list(got["resolution"]) == written["resolution"]
        assert got["shape"] == (2, 4, 5)
        assert np.allclose(got["world_box"][0], written["worldBox"]["min"])
    # World positions: at frame 0 the viewer is not turned, only moved to its origin.
    listed = json.loads(run("scene", str(vortex_file), "--json").stdout)
    origin = next(n for n in listed["nodes"] if n["name"] == "Viewer")["position"]
    at_start = scene.samples("Viewer")
    assert np.allclose(at_start["world_positions"], at_start["positions"] + np.float32(origin), atol=1e-6)


def test_parameters_store_through_the_block(vortex_file):
    scene = zentrograph.Scene.load(vortex_file)
    viewer = scene["Viewer"]
    viewer.params["resolutionX"] = 100000
    assert 1 < viewer.params["resolutionX"] < 100000  # clamped, as an edit is
    viewer.params["vectorScale"] = np.float32(2.5)
    viewer.params["resolutionY"] = np.int64(7)
    assert (viewer.params["vectorScale"], viewer.params["resolutionY"]) == (2.5, 7)
    scene.add("Point", name="Marker")
    refusals = [("forceNodes", ["Marker"], "refused"), ("forceNodes", ["Nobody"], "no node named"),
                ("vectorScale", "big", "expected"), ("displayLattice", 1.5, "expected true or false")]
    for name, value, reason in refusals:
        with pytest.raises((ValueError, TypeError), match=reason):
            viewer.params[name] = value
    assert viewer.params["forceNodes"] == ["Swirl"]  # a refused table is put back
    with pytest.raises(KeyError, match="no parameter"):
        viewer.params["nothing"]
    with pytest.raises(ValueError, match="refused"):
        scene.add("Zentrograph", name="Second", forceNodes=["Marker"])
    assert "Second" not in [n.name for n in scene.nodes]


def test_transforms_take_values_and_keys(vortex_file):
    scene = zentrograph.Scene.load(vortex_file)
    viewer = scene["Viewer"]
    assert viewer.rotation == [(0.0, (0.0, 0.0, 0.0)), (10.0, (0.0, 0.0, 90.0))]
    viewer.position = [(0, (0, 0, 0)), (10, (10, 0, 0))]
    assert viewer.world_position(5) == pytest.approx((5, 0, 0))
    viewer.scale = (2, 2, 2)
    assert viewer.scale == (2.0, 2.0, 2.0)
    with pytest.raises(ValueError, match="increase"):
        viewer.position = [(5, (0, 0, 0)), (1, (1, 1, 1))]


def test_a_saved_scene_is_the_file_the_program_writes(vortex_file, tmp_path):
    scene = zentrograph.Scene.load(vortex_file)
    scene.save(tmp_path / "a.json")
    scene.save(tmp_path / "a.json")
    assert (tmp_path / "a.json.bak").read_bytes() == (tmp_path / "a.json").read_bytes()
    again = zentrograph.Scene.load(tmp_path / "a.json")
    again.save(tmp_path / "b.json")
    assert (tmp_path / "b.json").read_bytes() == (tmp_path / "a.json").read_bytes()
    # The program reads it back to the same scene.
    assert run("scene", str(tmp_path / "a.json"), "--json").stdout == run("scene", str(vortex_file), "--json").stdout


def test_render_is_the_picture_render_writes(vortex_file, tmp_path):
    scene = zentrograph.Scene.load(vortex_file)
    picture = scene.render(size="320x200", frame=3)
    run("render", str(vortex_file), "--size", "320x200", "--frame", "3", "-o", str(tmp_path / "x.png"))
    assert bytes(picture) == (tmp_path / "x.png").read_bytes()
    assert picture._repr_png_()[:8] == b"\x89PNG\r\n\x1a\n" and picture.size == (320, 200)
    # A turntable: frame 1 of 0:3 turned by a quarter of 360 degrees, and turned it is.
    frames = list(scene.render_frames("0:3", size=(160, 100), orbit=360))
    assert len(frames) == 4
    assert frames[1] == scene.render(size=(160, 100), frame=1, orbit=90) != scene.render(size=(160, 100), frame=1)
    with pytest.raises(zentrograph.Error, match="frames 5-1"):
        scene.render_frames("5-1")


def test_errors_are_the_programs_messages(tmp_path):
    bad = tmp_path / "bad.json"
    bad.write_text('{"zentrographScene": 1, "nodes": [{"name": "A", "class": "Vortex", "params": {"x": 1}}]}')
    message = run("scene", str(bad), check=False).stderr.strip()
    with pytest.raises(zentrograph.Error) as raised:
        zentrograph.Scene.load(bad)
    assert str(raised.value) == message and "nodes[0].params.x" in message
    with pytest.raises(zentrograph.Error, match="not a field viewer"):
        zentrograph.Scene.demo().samples("Vortex")


def test_a_scene_answers_only_its_own_thread():
    scene = zentrograph.Scene.demo()
    caught = []
    worker = threading.Thread(target=lambda: caught.append(pytest.raises(RuntimeError, lambda: scene.nodes)))
    worker.start()
    worker.join()
    assert "thread that made it" in str(caught[0].value)


def test_validate_answers_the_validators_results():
    module = zentrograph._core.DEFAULT_PLUGIN_DIR + "/Zentrograph.dlo"
    report = zentrograph.validate(module, seed=7, checks=["defaults"])
    assert report["seed"] == 7 and report["failed"] == 0
    assert [c["check"] for c in report["checks"]] == ["defaults"]
    with pytest.raises(zentrograph.Error, match="no such module"):
        zentrograph.validate("missing.dlo")
