#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scene/render/PrimitiveAssembler.h"

using Sorvex::M3d;

namespace {

/// Writes down what the assembler hands on: "F" and the x of each point for a face,
/// "S from-to/provoking" for a line, "C" for a clearing.
class Transcript : public PrimitiveSink {
public:
    explicit Transcript(const PrimitiveAssembler& a) : assembler(a) {}
    void onFace(const std::vector<M3d>& points) override {
        std::string s = "F";
        for (const M3d& p : points)
            s += std::to_string(int(p.x()));
        log.push_back(s);
    }
    void onSegment(size_t from, size_t to, size_t provoking) override {
        const auto& points = assembler.getPending();
        log.push_back("S" + std::to_string(int(points[from].x())) + "-" +
                      std::to_string(int(points[to].x())) + "/" + std::to_string(provoking));
    }
    void onPendingCleared() override { log.push_back("C"); }

    const PrimitiveAssembler& assembler;
    std::vector<std::string> log;
};

void feed(PrimitiveAssembler& a, Transcript& t, int from, int to) {
    for (int x = from; x <= to; ++x)
        a.vertex(M3d(x, 0, 0), t);
}

} // namespace

TEST(PrimitiveAssembler, BracketsBecomeTrianglesPolygonsLinesAndLoops) {
    using Mode = PrimitiveAssembler::Mode;
    PrimitiveAssembler a;
    Transcript t(a);

    feed(a, t, 1, 2); // outside a bracket: ignored
    EXPECT_TRUE(t.log.empty());

    // Seven points of a triangle list: two triangles, the seventh point dropped at the end.
    a.begin(Mode::Triangles, t);
    feed(a, t, 1, 7);
    a.end(t);
    EXPECT_EQ(std::vector<std::string>({"C", "F123", "C", "F456", "C", "C"}), t.log);

    t.log.clear();
    a.begin(Mode::Polygon, t);
    feed(a, t, 1, 5);
    a.end(t);
    a.begin(Mode::Polygon, t);
    feed(a, t, 1, 2); // too few for a face
    a.end(t);
    EXPECT_EQ(std::vector<std::string>({"C", "F12345", "C", "C", "C"}), t.log);

    // Separate lines take their closing point's attributes; loops each line's start.
    t.log.clear();
    a.begin(Mode::Lines, t);
    feed(a, t, 1, 5);
    a.end(t);
    EXPECT_EQ(std::vector<std::string>({"C", "S1-2/1", "C", "S3-4/1", "C", "C"}), t.log);

    t.log.clear();
    a.begin(Mode::LineLoop, t);
    feed(a, t, 1, 3);
    a.end(t);
    a.begin(Mode::LineLoop, t);
    feed(a, t, 1, 1); // one point: no loop
    a.end(t);
    EXPECT_EQ(std::vector<std::string>({"C", "S1-2/0", "S2-3/1", "S3-1/2", "C", "C", "C"}), t.log);
    EXPECT_FALSE(a.isOpen());
}
