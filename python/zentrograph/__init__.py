"""Zentrograph from Python: scenes, a field viewer's samples as numpy arrays, pictures.

The module works on the same scene files as the ``zentrograph`` program, through the
same libraries: plug-ins are loaded by the program's loader, scenes are read and
checked by its reader, and its errors are raised as :class:`Error` with the program's
one-line messages.

Plug-ins come from the folder given as ``plugins=``, else ``$ZENTROGRAPH_PLUGINS``,
else the plug-in folder of the build this module belongs to.

Threads: plug-ins are called on one thread, as in the program. A scene answers only
the thread that made it (a call from another raises ``RuntimeError``). The
interpreter lock is released only while pictures and animations are encoded and
samples are turned to world space, where no plug-in code runs.

>>> scene = Scene.load("demo.json")          # doctest: +SKIP
>>> scene.render()                           # a notebook shows the picture
>>> scene.samples("FieldViewer")["vectors"]  # (N, 3) float32
"""

from __future__ import annotations

import json
import os
from collections.abc import MutableMapping
from typing import Any, Iterator, Optional, Sequence, Tuple, Union

from . import _core

__all__ = ["Error", "Scene", "Node", "Params", "Image", "validate", "frame_list", "class_names"]

#: A failure the program reports, with its one-line message.
Error = _core.Error

Size = Union[str, Tuple[int, int]]
Point = Tuple[float, float, float]

_classes_by_folder: dict = {}


def _plugin_folder(plugins: Optional[str]) -> str:
    if plugins is not None:
        return os.fspath(plugins)
    return os.environ.get("ZENTROGRAPH_PLUGINS") or _core.DEFAULT_PLUGIN_DIR


def _classes(plugins: Optional[str]):
    """The classes of a plug-in folder, loaded once per folder and kept."""
    import warnings

    folder = os.path.abspath(_plugin_folder(plugins))
    if folder not in _classes_by_folder:
        classes = _core.Classes(folder)
        for line in classes.problems:
            warnings.warn(line, stacklevel=3)
        _classes_by_folder[folder] = classes
    return _classes_by_folder[folder]


def class_names(plugins: Optional[str] = None) -> list:
    """The names a scene file can give a node's class: the built-in classes and every
    class of the loaded plug-in modules."""
    return list(_classes(plugins).class_names)


def _size(size: Size) -> Tuple[int, int]:
    if isinstance(size, str):
        width, sep, height = size.lower().partition("x")
        if not sep or not width.isdigit() or not height.isdigit():
            raise Error(f'bad image size "{size}": expected WIDTHxHEIGHT, such as 1280x720')
        return int(width), int(height)
    width, height = size
    return int(width), int(height)


def frame_list(frames: Union[str, Sequence[int]], chunk: Optional[str] = None) -> list:
    """The frames of a frame list as the program reads ``--frames`` and ``--chunk``:
    ``"0:24"``, ``"1-100"``, ``"1-3,5,7-20:2"``; ``chunk="K/N"`` keeps the K-th of N
    equal parts. A sequence of whole frames is taken as it is."""
    if isinstance(frames, str):
        return _core.frame_list(frames, chunk)
    listed = ",".join(str(int(f)) for f in frames)
    return _core.frame_list(listed, chunk)


class Image(bytes):
    """A PNG picture: the file's bytes, which a notebook shows (``_repr_png_``)."""

    def _repr_png_(self) -> bytes:
        return bytes(self)

    @property
    def size(self) -> Tuple[int, int]:
        """Width and height in pixels, from the PNG header."""
        return int.from_bytes(self[16:20], "big"), int.from_bytes(self[20:24], "big")

    def save(self, path: Union[str, os.PathLike]) -> None:
        """Writes the PNG file."""
        with open(path, "wb") as out:
            out.write(self)


class Params(MutableMapping):
    """A node's parameters by internal name. Every store goes through the object's
    parameter block, as an edit in the program does: a value beyond a limit reads back
    clamped, and a node table refuses nodes its validator refuses (``ValueError``).
    Node tables read as lists of names (``None`` for an empty entry) and take names or
    :class:`Node` objects."""

    def __init__(self, node: "Node"):
        self._node = node

    def __getitem__(self, name: str) -> Any:
        return self._node._scene._handle.get_param(self._node.name, name)

    def __setitem__(self, name: str, value: Any) -> None:
        self._node._scene._handle.set_param(self._node.name, name, value)

    def __delitem__(self, name: str) -> None:
        raise TypeError("parameters cannot be removed")

    def __iter__(self) -> Iterator[str]:
        return iter(self._node._scene._handle.param_names(self._node.name))

    def __len__(self) -> int:
        return len(self._node._scene._handle.param_names(self._node.name))

    def __repr__(self) -> str:
        return f"Params({dict(self)!r})"


class Node:
    """One node of a scene, found by name each time it is used (a removed node raises
    ``KeyError``). Position, rotation (degrees) and scale read and take either one
    value ``(x, y, z)`` or keys ``[(frame, (x, y, z)), ...]`` with increasing frames,
    as the scene file holds them."""

    def __init__(self, scene: "Scene", name: str):
        self._scene = scene
        self.name = name

    @property
    def class_name(self) -> str:
        """The class as the scene file names it."""
        return self._scene._handle.class_of(self.name)

    @property
    def params(self) -> Params:
        """The parameters, as a mapping that stores through the parameter block."""
        return Params(self)

    def _get(self, which: str):
        return self._scene._handle.get_transform(self.name, which)

    def _set(self, which: str, value) -> None:
        self._scene._handle.set_transform(self.name, which, value)

    position = property(lambda self: self._get("position"), lambda self, v: self._set("position", v),
                        doc="Position: (x, y, z) or keys [(frame, (x, y, z)), ...].")
    rotation = property(lambda self: self._get("rotation"), lambda self, v: self._set("rotation", v),
                        doc="Rotation in degrees about X, Y and Z: (x, y, z) or keys.")
    scale = property(lambda self: self._get("scale"), lambda self, v: self._set("scale", v),
                     doc="Scale: (x, y, z) or keys.")

    def world_position(self, frame: Optional[float] = None) -> Point:
        """The node's origin in world space at a frame (default: the scene's first)."""
        return self._scene._handle.world_position(self.name, frame)

    def __repr__(self) -> str:
        return f"Node({self.name!r}, {self.class_name!r})"

    def __eq__(self, other: object) -> bool:
        return isinstance(other, Node) and other._scene is self._scene and other.name == self.name

    def __hash__(self) -> int:
        return hash((id(self._scene), self.name))


class Scene:
    """A scene: nodes, frame rate and range, views. Make one with :meth:`load`,
    :meth:`new` or :meth:`demo`."""

    def __init__(self, handle):
        self._handle = handle

    @classmethod
    def load(cls, path: Union[str, os.PathLike], plugins: Optional[str] = None) -> "Scene":
        """Reads a scene file as the program does; raises :class:`Error` with the
        program's message when it cannot. Its warnings become Python warnings."""
        return cls(_core.load_scene(_classes(plugins), os.fspath(path)))

    @classmethod
    def new(cls, fps: int = 25, frames: Tuple[int, int] = (0, 100), plugins: Optional[str] = None) -> "Scene":
        """An empty scene; ``fps`` must divide 4800."""
        return cls(_core.new_scene(_classes(plugins), int(fps), int(frames[0]), int(frames[1])))

    @classmethod
    def demo(cls, plugins: Optional[str] = None) -> "Scene":
        """The demo scene the program renders without a scene file."""
        return cls(_core.demo_scene(_classes(plugins)))

    def save(self, path: Union[str, os.PathLike]) -> None:
        """Writes the scene file as the program saves it: through a temporary file and
        a rename, the previous file kept as PATH.bak."""
        self._handle.save(os.fspath(path))

    @property
    def fps(self) -> int:
        return self._handle.fps

    @property
    def frame_range(self) -> Tuple[int, int]:
        """The first and last frame the scene plays, both included."""
        return self._handle.frame_range

    @property
    def nodes(self) -> list:
        """Every node, in the order added."""
        return [Node(self, name) for name in self._handle.node_names]

    def node(self, name: str) -> Node:
        """The node of that name; ``KeyError`` when there is none."""
        self._handle.class_of(name)
        return Node(self, name)

    __getitem__ = node

    def add(self, class_name: str, name: Optional[str] = None, position=None, rotation=None, scale=None,
            **params) -> Node:
        """Adds a node of a class (a built-in class or a plug-in class's internal name),
        named ``name`` or the class name with the next free number. Transforms and
        parameters are set as :class:`Node` and :class:`Params` set them; when one is
        refused the node is removed again and the error raised."""
        node = Node(self, self._handle.add(class_name, name))
        try:
            for which, value in (("position", position), ("rotation", rotation), ("scale", scale)):
                if value is not None:
                    node._set(which, value)
            for key, value in params.items():
                node.params[key] = value
        except BaseException:
            self._handle.remove(node.name)
            raise
        return node

    def remove(self, name: Union[str, Node]) -> None:
        """Deletes a node; parameter blocks that list it drop it."""
        self._handle.remove(name.name if isinstance(name, Node) else name)

    def samples(self, viewer: Union[str, Node], frame: Optional[float] = None) -> dict:
        """A field viewer's samples at a frame, as the ``samples`` command reads them:
        ``positions`` and ``vectors`` (object space, the numbers ``samples`` writes)
        and ``world_positions``, each a float32 array of shape (N, 3) (N = resolution
        X * Y * Z, X varying fastest: ``a.reshape(d["shape"] + (3,))`` gives the
        lattice); ``resolution``, ``shape``, ``size``, ``vector_scale``, ``local_box``
        and ``world_box`` (min and max, or None for an empty box), ``object``,
        ``frame``. The arrays read the captured samples without copying them."""
        name = viewer.name if isinstance(viewer, Node) else viewer
        return self._handle.samples(name, frame)

    def render(self, view: str = "", size: Size = (1280, 720), frame: Optional[float] = None,
               orbit: float = 0.0) -> Image:
        """The picture ``render`` draws: every view (or the one named, or ``"quad"``)
        at a frame, as PNG bytes a notebook shows. ``orbit`` turns the perspective
        views by that many degrees."""
        width, height = _size(size)
        return Image(self._handle.render(view, width, height, frame, float(orbit)))

    def render_frames(self, frames: Union[str, Sequence[int], None] = None, view: str = "", size: Size = (1280, 720),
                      orbit: float = 0.0, chunk: Optional[str] = None) -> Iterator[Image]:
        """Pictures of a frame list (default: the scene's range), one at a time. The
        list is checked whole before the first picture; ``orbit`` degrees turn the
        perspective views over it as ``render --orbit`` does."""
        first, last = self.frame_range
        whole = frame_list(f"{first}:{last}" if frames is None else frames)
        part = frame_list(whole, chunk) if chunk else whole
        self._handle.check_frames(part)
        width, height = _size(size)

        def pictures():
            for f in part:
                yield Image(self._handle.render(view, width, height, f, _core.orbit_at(float(orbit), whole, f)))

        return pictures()

    def render_animation(self, path: Union[str, os.PathLike, None] = None,
                         frames: Union[str, Sequence[int], None] = None, format: Optional[str] = None,
                         view: str = "", size: Size = (1280, 720), orbit: float = 0.0) -> bytes:
        """One animated WebP, GIF or MP4 of a frame list at the scene's frame rate, as
        ``render --frames ... -o x.webp`` writes it. The format comes from ``format``
        or the path's extension; the bytes are returned and, with a path, written."""
        first, last = self.frame_range
        whole = frame_list(f"{first}:{last}" if frames is None else frames)
        chosen = format or (os.path.splitext(os.fspath(path))[1][1:].lower() if path is not None else "webp")
        width, height = _size(size)
        self._handle.check_frames(whole)
        data = self._handle.render_animation(chosen, whole, view, width, height, float(orbit))
        if path is not None:
            with open(path, "wb") as out:
                out.write(data)
        return data

    def __repr__(self) -> str:
        return f"Scene({len(self._handle.node_names)} nodes, {self.fps} fps, frames {self.frame_range})"


def validate(path: Union[str, os.PathLike, Sequence[Union[str, os.PathLike]]], seed: Optional[int] = None,
             checks: Optional[Sequence[str]] = None) -> dict:
    """Runs the plug-in validator on module files, every check (or those named in
    ``checks``) in a process of its own, and answers what ``zentrograph validate --json`` prints: ``seed``, ``checks``
    (``module``, ``check``, ``outcome``, ``message``, and ``replay`` for a failure),
    ``passed`` and ``failed``."""
    paths = [path] if isinstance(path, (str, os.PathLike)) else list(path)
    return json.loads(_core.validate([os.fspath(p) for p in paths], seed, list(checks or [])))
