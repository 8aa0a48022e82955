"""The program's animated files, time series and frame lists, read back by other code."""

import json
import struct

import pytest
from PIL import Image

from conftest import run


def mp4_facts(data):
    """Frame count, size and frame rate of an MP4's first video track, read from its
    boxes (sample sizes, sample entry, media header, sample times)."""
    facts = {}

    def walk(start, end):
        while start + 8 <= end:
            size, kind = struct.unpack(">I4s", data[start:start + 8])
            body = start + 8
            if kind in (b"moov", b"trak", b"mdia", b"minf", b"stbl"):
                walk(body, start + size)
            elif kind == b"stsd":
                facts["codec"] = data[body + 12:body + 16]
                facts["size"] = struct.unpack(">HH", data[body + 8 + 32:body + 8 + 36])
            elif kind == b"stsz":
                facts["frames"] = struct.unpack(">I", data[body + 8:body + 12])[0]
            elif kind == b"mdhd":
                facts["timescale"] = struct.unpack(">I", data[body + 12:body + 16])[0]
            elif kind == b"stts":
                facts["delta"] = struct.unpack(">I", data[body + 12:body + 16])[0]
            start += size

    walk(0, len(data))
    facts["fps"] = facts["timescale"] / facts["delta"]
    return facts


@pytest.mark.parametrize("ext", ["webp", "gif", "mp4"])
def test_an_animated_file_holds_every_frame_at_the_scenes_rate(vortex_file, tmp_path, ext):
    out = tmp_path / f"spin.{ext}"
    done = run("render", str(vortex_file), "--frames", "0:10", "--orbit", "360", "--size", "320x180", "-o", str(out))
    assert done.stdout == f"{out}\n"
    if ext == "mp4":
        facts = mp4_facts(out.read_bytes())
        assert (facts["codec"], facts["frames"], facts["size"], facts["fps"]) == (b"avc1", 11, (320, 180), 25)
        return
    with Image.open(out) as image:
        assert (image.n_frames, image.size) == (11, (320, 180))
        pictures = []
        for i in range(image.n_frames):
            image.seek(i)
            image.load()
            assert image.info["duration"] == 40
            pictures.append(image.convert("RGB").tobytes())
    assert len(set(pictures)) == 11  # the view turns from frame to frame


def test_animated_output_refusals_are_one_line(vortex_file, tmp_path):
    cases = [
        (["-o", "a.webp"], "needs --frames"),
        (["--format", "gif"], "--format gif"),
        (["-o", "a.mp4", "--frames", "0:2", "--size", "640x360"], "memory budget"),
        (["-o", "a.mp4", "--frames", "0:2", "--size", "321x180"], "even width"),
        (["-o", "a.gif", "--frames", "0:2", "--jobs", "2"], "--jobs"),
        (["-o", "a.gif", "--frames", "0:2", "--view", "Top", "--orbit", "90"], "no perspective view"),
        (["-o", "a.png", "--orbit", "90"], "--frames"),
        (["-o", "a.png", "--frames", "0:9", "--chunk", "4/3"], "--chunk"),
    ]
    for args, reason in cases:
        done = run("render", str(vortex_file), *args, cwd=tmp_path, check=False,
                   env={"ZENTROGRAPH_MEMORY_BUDGET": "8M"})
        assert done.returncode != 0 and reason in done.stderr, (args, done.stderr)
        assert done.stderr.count("\n") == 1, done.stderr
    assert sorted(p.name for p in tmp_path.iterdir()) == ["vortex.json"]


def test_jobs_and_chunks_share_a_list_out(vortex_file, tmp_path):
    one, many = tmp_path / "one", tmp_path / "many"
    one.mkdir()
    many.mkdir()
    frames = "0-2,5,7-10:3"
    run("render", str(vortex_file), "--frames", frames, "--orbit", "45", "-o", "f.json", "--view", "Persp", cwd=one)
    done = run("render", str(vortex_file), "--frames", frames, "--orbit", "45", "-o", "f.json", "--view", "Persp",
               "--jobs", "3", cwd=many)
    assert done.stdout.split() == ["f_0000.json", "f_0001.json", "f_0002.json", "f_0005.json", "f_0007.json",
                                   "f_0010.json"]
    for name in done.stdout.split():
        assert (one / name).read_bytes() == (many / name).read_bytes()
    chunk = run("render", str(vortex_file), "--frames", frames, "--chunk", "2/4", "-o", "c.json", "--view", "Top",
                cwd=tmp_path)
    assert chunk.stdout.split() == ["c_0002.json", "c_0005.json"]


def test_samples_over_frames_make_a_time_series(vortex_file, tmp_path):
    out = tmp_path / "field.vtk"
    done = run("samples", str(vortex_file), "--object", "Viewer", "--frames", "0-6:3", "-o", str(out))
    names = ["field_0000.vtk", "field_0003.vtk", "field_0006.vtk"]
    assert done.stdout.split() == [str(tmp_path / n) for n in names] + [f"{out}.series"]
    series = json.loads((tmp_path / "field.vtk.series").read_text())
    assert series == {"file-series-version": "1.0",
                      "files": [{"name": n, "time": t} for n, t in zip(names, (0, 3, 6))]}
    # Each file of the series as VTK's own reader sees it (ParaView reads the list).
    legacy = pytest.importorskip("vtkmodules.vtkIOLegacy")
    from vtkmodules.util.numpy_support import vtk_to_numpy
    for entry in series["files"]:
        reader = legacy.vtkPolyDataReader()
        reader.SetFileName(str(tmp_path / entry["name"]))
        reader.Update()
        data = reader.GetOutput().GetPointData()
        force = vtk_to_numpy(data.GetArray("force"))
        magnitude = vtk_to_numpy(data.GetArray("magnitude"))
        assert reader.GetOutput().GetNumberOfPoints() == 40 and force.shape == (40, 3)
        assert (abs((force ** 2).sum(axis=1) ** 0.5 - magnitude) < 1e-5 * (1 + magnitude)).all()
