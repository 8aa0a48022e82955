"""What the module's tests share: the built program beside the module, and scene files."""

import json
import os
import subprocess

import pytest

PROGRAM = os.environ.get("ZENTROGRAPH_BIN", "zentrograph")

# A field viewer over a vortex, turned and animated, with one view of each kind.
VORTEX_SCENE = {
    "zentrographScene": 1, "fps": 25, "frames": [0, 10],
    "nodes": [
        {"name": "Swirl", "class": "Vortex", "position": [1, 0, 0]},
        {"name": "Viewer", "class": "Zentrograph", "position": [2, -1, 0.5],
         "rotation": {"keys": [[0, [0, 0, 0]], [10, [0, 0, 90]]]},
         "params": {"sizeX": 4, "sizeY": 3, "resolutionX": 5, "resolutionY": 4, "resolutionZ": 2,
                    "forceNodes": ["Swirl"]}},
    ],
    "viewports": [
        {"name": "Persp", "projection": "perspective", "eye": [8, -10, 6], "target": [0, 0, 0]},
        {"name": "Top", "projection": "top", "center": [0, 0, 0], "width": 8},
    ],
}


def run(*args, cwd=None, check=True, env=None):
    """Runs the program as a user does, with `env` added to the environment; answers
    the completed process."""
    done = subprocess.run([PROGRAM, *args], cwd=cwd, capture_output=True, text=True,
                          env={**os.environ, **(env or {})})
    if check:
        assert done.returncode == 0, done.stderr
    return done


@pytest.fixture
def vortex_file(tmp_path):
    path = tmp_path / "vortex.json"
    path.write_text(json.dumps(VORTEX_SCENE))
    return path
