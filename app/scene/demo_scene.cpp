#include "app/scene/demo_scene.h"

namespace zg::scene {

std::string_view DemoSceneText() {
    static constexpr std::string_view kText = R"json({
  "zentrographScene": 1,
  "fps": 25,
  "frames": [0, 100],
  "nodes": [
    {"name": "Vortex", "class": "Vortex", "position": [-3.2, 1.8, 0], "scale": [1.8, 1.8, 1.8],
     "params": {"orbital": 1.0, "radialPull": 0.25}, "wireColor": "#ffb454"},
    {"name": "Gravity", "class": "Gravity", "position": [3.6, -2.2, 0], "scale": [1.8, 1.8, 1.8],
     "params": {"strength": 1.4, "decay": 0.12, "spherical": true}, "wireColor": "#c792ea"},
    {"name": "Wind", "class": "Wind", "position": [0, -8.2, 0], "rotation": [-90, 0, 0],
     "scale": [1.8, 1.8, 1.8],
     "params": {"strength": 0.35, "turbulence": 0.6, "scale": 1.8, "frequency": 0.4},
     "wireColor": "#7fd88f"},
    {"name": "FieldViewer", "class": "Zentrograph", "position": [0, 0, 0],
     "params": {"sizeX": 14, "sizeY": 14, "sizeZ": 1, "resolutionX": 35, "resolutionY": 35,
                "resolutionZ": 1, "vectorScale": 5, "displayVectorBases": true,
                "forceNodes": ["Vortex", "Gravity", "Wind"]},
     "wireColor": "#5ccfe6"}
  ],
  "viewports": [
    {"name": "Perspective", "projection": "perspective", "eye": [12.5, -16, 11],
     "target": [0, -0.5, 0], "up": [0, 0, 1], "fov": 50},
    {"name": "Top", "projection": "top", "center": [0, -0.5, 0], "width": 17}
  ]
}
)json";
    return kText;
}

}  // namespace zg::scene
