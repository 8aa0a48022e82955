// Sample files: JSON and CSV in object space, legacy VTK polydata in world space.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

#include "app/samples/sample_formats.h"

namespace rendertest {
namespace {

using nlohmann::json;

zg::samples::SampleSet TwoSamples() {
    zg::samples::SampleSet set;
    set.object = "Viewer";
    set.frame = 3;
    set.size = {2, 1, 0};
    set.resolution[0] = 2;
    set.resolution[1] = 1;
    set.resolution[2] = 1;
    set.vectorScale = 10;
    set.localBox = {{-1, -0.5f, 0}, {1.1f, 0.5f, 0}};
    set.worldBox = {{9, -0.5f, 0}, {11.1f, 0.5f, 0}};
    set.objectTM = host::Matrix3::Translation({10, 0, 0});
    set.positions = {{-1, 0, 0}, {1, 0, 0}};
    set.vectors = {{0, 0.1f, 0}, {0.1f, 0, 0}};
    return set;
}

TEST(SampleFormatsTest, JsonAndCsvAreInObjectSpace) {
    const auto set = TwoSamples();
    const json doc = json::parse(zg::samples::SamplesToJson(set));
    EXPECT_EQ(doc["object"], "Viewer");
    EXPECT_EQ(doc["frame"], 3);
    EXPECT_EQ(doc["resolution"], json::parse("[2, 1, 1]"));
    EXPECT_EQ(doc["vectorScale"], 10);
    EXPECT_EQ(doc["worldBox"]["max"], json::parse("[11.1, 0.5, 0]"));
    EXPECT_EQ(doc["positions"], json::parse("[[-1, 0, 0], [1, 0, 0]]"));
    EXPECT_EQ(doc["vectors"][1], json::parse("[0.1, 0, 0]"));

    EXPECT_EQ(zg::samples::SamplesToCsv(set),
              "index,ix,iy,iz,px,py,pz,vx,vy,vz\n"
              "0,0,0,0,-1,0,0,0,0.1,0\n"
              "1,1,0,0,1,0,0,0.1,0,0\n");
}

TEST(SampleFormatsTest, VtkIsLegacyPolydataInWorldSpace) {
    const std::string vtk = zg::samples::SamplesToVtk(TwoSamples());
    std::istringstream in(vtk);
    std::string line;
    std::vector<std::string> lines;
    while (std::getline(in, line)) lines.push_back(line);
    ASSERT_GE(lines.size(), 17u);
    EXPECT_EQ(lines[0], "# vtk DataFile Version 3.0");
    EXPECT_EQ(lines[2], "ASCII");
    EXPECT_EQ(lines[3], "DATASET POLYDATA");
    EXPECT_EQ(lines[4], "POINTS 2 float");
    EXPECT_EQ(lines[5], "9 0 0");  // translated into the world
    EXPECT_EQ(lines[7], "VERTICES 2 4");
    EXPECT_EQ(lines[10], "POINT_DATA 2");
    EXPECT_EQ(lines[11], "VECTORS force float");
    EXPECT_EQ(lines[12], "0 0.1 0");
    EXPECT_EQ(lines[14], "SCALARS magnitude float 1");
    EXPECT_EQ(lines[15], "LOOKUP_TABLE default");
    EXPECT_EQ(lines[16], "0.1");
    EXPECT_FALSE(zg::samples::ParseSampleFormat("xml"));
}

}  // namespace
}  // namespace rendertest
