// Random gestures on the shape editor against a model written at the level of whole gestures
// (press, moves, release) rather than single events.
#include "measure/shape_editor.h"

#include "tests/unit/measure_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

namespace {

struct ModelShape {
    int kind = 0;
    ShapePoint p1, p2, p3;
    std::vector<ShapePoint> points;
};

bool IsThreePoint(int tool) {
    return tool == TOOL_PARALLEL_LINES || tool == TOOL_CONCENTRIC_CIRCLES || tool == TOOL_ANGLE;
}

// The places a shape can be picked up at: (centre, half size) squares.
std::vector<std::pair<ShapePoint, int>> GrabSquares(const ModelShape& s) {
    switch (s.kind) {
        case TOOL_LINE:
        case TOOL_CIRCLE:
        case TOOL_ARROW:
            return {{s.p1, 5}, {s.p2, 5}};
        case TOOL_PARALLEL_LINES:
        case TOOL_ANGLE:
            return {{s.p1, 5}, {s.p2, 5}, {s.p3, 4}};
        case TOOL_CONCENTRIC_CIRCLES:
            return {{s.p1, 5}, {s.p3, 4}};
        case TOOL_RECTANGLE:
            return {{s.p1, 5}, {s.p2, 5}, {{s.p1.x, s.p2.y}, 5}, {{s.p2.x, s.p1.y}, 5}};
        case TOOL_PENCIL:
            if (s.points.size() < 2)
                return {};
            return {{s.points.front(), 5}, {s.points.back(), 5}};
        default:
            return {};
    }
}

struct Model {
    std::vector<ModelShape> shapes;
    int tool = TOOL_DRAG;
    int selected = -1;
    int hover = -1;
    bool thirdPending = false;
    ModelShape pending;
    ShapePoint pendingP3 = kUnplacedPoint;
    std::vector<ShapePoint> pans;

    int Hit(ShapePoint p) const {
        for (size_t i = 0; i < shapes.size(); ++i) {
            for (const auto& [c, r] : GrabSquares(shapes[i])) {
                if (p.x - c.x >= -r && p.x - c.x < r && p.y - c.y >= -r && p.y - c.y < r)
                    return static_cast<int>(i);
            }
        }
        return -1;
    }

    static void Shift(ModelShape& s, int dx, int dy) {
        auto by = [&](ShapePoint& p) { p = {p.x + dx, p.y + dy}; };
        if (s.kind == TOOL_PENCIL) {
            for (ShapePoint& p : s.points)
                by(p);
            return;
        }
        by(s.p1);
        by(s.p2);
        if (IsThreePoint(s.kind) && s.p3 != kUnplacedPoint)
            by(s.p3); // one not placed yet stays so
    }

    void AppendPending() {
        ModelShape s = pending;
        s.p3 = pendingP3;
        shapes.push_back(s);
    }
};

struct Geometry {
    int mx = 80, my = 60; // picture margins in the 800 x 600 window
    ShapePoint ToContent(ShapePoint client) const { return {client.x - mx, client.y - my}; }
    static bool Inside(ShapePoint p) { return p.x >= 0 && p.x < 640 && p.y >= 0 && p.y < 480; }
};

class Runner {
public:
    explicit Runner(unsigned seed) : rng_(seed) {}

    void Run(int gestures) {
        for (int g = 0; g < gestures; ++g) {
            const int what = Pick(0, 99);
            if (what < 10)
                ChangeTool();
            else if (what < 65)
                PressMoveRelease();
            else if (what < 85)
                Hover();
            else if (what < 92)
                DeleteSelected();
            else if (what < 97)
                DeleteLast();
            else
                DeleteAll();
            if (!Same())
                return;
        }
    }

    std::string failure;

private:
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    ShapePoint RandomClient() { return {Pick(-5, 805), Pick(-5, 605)}; }

    // Often on a shape's grab point, so that shapes get picked up and dragged.
    ShapePoint StartPoint() {
        if (!model_.shapes.empty() && Pick(0, 1) == 0) {
            const ModelShape& s =
                model_.shapes[static_cast<size_t>(Pick(0, static_cast<int>(model_.shapes.size()) - 1))];
            const auto squares = GrabSquares(s);
            if (!squares.empty()) {
                const auto& [c, r] =
                    squares[static_cast<size_t>(Pick(0, static_cast<int>(squares.size()) - 1))];
                return {c.x + geo_.mx + Pick(-r, r - 1), c.y + geo_.my + Pick(-r, r - 1)};
            }
        }
        return RandomClient();
    }

    void ChangeTool() {
        static const int kTools[] = {TOOL_DRAG,      TOOL_LINE,   TOOL_PARALLEL_LINES,
                                     TOOL_RECTANGLE, TOOL_CIRCLE, TOOL_CONCENTRIC_CIRCLES,
                                     TOOL_ANGLE,     TOOL_PENCIL, TOOL_ARROW};
        const int tool = kTools[Pick(0, 8)];
        log_ << "tool " << tool << "\n";
        Expect(EditorSelectTool(state_, tool) == (tool != model_.tool), "a change of tool answered wrongly");
        if (tool != model_.tool) {
            model_.tool = tool;
            model_.thirdPending = false;
            model_.pendingP3 = kUnplacedPoint;
        }
    }

    void PressMoveRelease() {
        const ShapePoint start = StartPoint();
        std::vector<ShapePoint> moves;
        ShapePoint at = start;
        const int n = Pick(0, 6);
        for (int i = 0; i < n; ++i) {
            at = Pick(0, 9) == 0 ? RandomClient() : ShapePoint{at.x + Pick(-40, 40), at.y + Pick(-40, 40)};
            moves.push_back(at);
        }
        log_ << "press " << start.x << "," << start.y << " moves " << moves.size() << "\n";

        EditorMouseDown(state_, tv_.view, host_, start.x, start.y);
        const bool captured = host_.captured;
        for (ShapePoint m : moves)
            EditorMouseMove(state_, tv_.view, host_, true, m.x, m.y);
        EditorMouseUp(state_, tv_.view, host_);

        Model& m = model_;
        const ShapePoint p = geo_.ToContent(start);
        // The pointer is held from a press on the picture, except the press that fixes a third point.
        Expect(captured == (!m.thirdPending && Geometry::Inside(p)), "capture on the press");
        if (m.thirdPending) { // the press fixes the third point; the rest of the gesture does nothing
            m.thirdPending = false;
            m.AppendPending();
            return;
        }
        if (!Geometry::Inside(p))
            return;
        if (m.tool == TOOL_DRAG) {
            const int hit = m.Hit(p);
            m.selected = hit;
            if (hit < 0) {
                m.pans.insert(m.pans.end(), moves.begin(), moves.end());
                return;
            }
            ShapePoint last = p;
            for (ShapePoint c : moves) {
                const ShapePoint q = geo_.ToContent(c);
                if (!Geometry::Inside(q))
                    continue;
                Model::Shift(m.shapes[static_cast<size_t>(hit)], q.x - last.x, q.y - last.y);
                last = q;
            }
            return;
        }
        ModelShape& s = m.pending;
        s = {};
        s.kind = m.tool;
        s.p1 = s.p2 = p;
        m.pendingP3 = kUnplacedPoint;
        if (m.tool == TOOL_PENCIL)
            s.points.push_back(p);
        for (ShapePoint c : moves) {
            const ShapePoint q = geo_.ToContent(c);
            if (!Geometry::Inside(q))
                continue;
            if (m.tool == TOOL_PENCIL)
                s.points.push_back(q);
            else
                s.p2 = q;
        }
        if (IsThreePoint(m.tool))
            m.thirdPending = true;
        else
            m.AppendPending();
    }

    void Hover() {
        const int n = Pick(1, 3);
        for (int i = 0; i < n; ++i) {
            const ShapePoint c = StartPoint();
            log_ << "hover " << c.x << "," << c.y << "\n";
            EditorMouseMove(state_, tv_.view, host_, false, c.x, c.y);
            const ShapePoint p = geo_.ToContent(c);
            if (!Geometry::Inside(p))
                continue;
            if (model_.tool == TOOL_DRAG)
                model_.hover = model_.Hit(p);
            else if (model_.thirdPending)
                model_.pendingP3 = p;
        }
    }

    void DeleteSelected() {
        log_ << "delete selected\n";
        Model& m = model_;
        const bool any = m.selected >= 0 && m.selected < static_cast<int>(m.shapes.size());
        Expect(DeleteSelectedShape(state_) == any, "delete selected answered wrongly");
        if (any) {
            m.shapes.erase(m.shapes.begin() + m.selected);
            if (m.hover == m.selected)
                m.hover = -1;
            m.selected = -1;
        }
    }

    void DeleteLast() {
        log_ << "delete last\n";
        Model& m = model_;
        Expect(DeleteLastShape(state_) == !m.shapes.empty(), "delete last answered wrongly");
        if (m.shapes.empty())
            return;
        m.shapes.pop_back();
        const int n = static_cast<int>(m.shapes.size());
        if (m.hover == n)
            m.hover = -1;
        if (m.selected == n)
            m.selected = -1;
    }

    void DeleteAll() {
        log_ << "delete all\n";
        Expect(DeleteAllShapes(state_) == !model_.shapes.empty(), "delete all answered wrongly");
        if (!model_.shapes.empty()) {
            model_.shapes.clear();
            model_.hover = model_.selected = -1;
        }
    }

    void Expect(bool ok, const char* what) {
        if (!ok)
            mismatch_ << what << "\n";
    }

    bool Same() {
        std::ostringstream diff;
        diff << mismatch_.str();
        if (state_.shapes.size() != model_.shapes.size())
            diff << "count " << state_.shapes.size() << " vs " << model_.shapes.size() << "\n";
        for (size_t i = 0; i < std::min(state_.shapes.size(), model_.shapes.size()); ++i) {
            const MeasureShape& a = state_.shapes[i];
            const ModelShape& b = model_.shapes[i];
            if (a.kind != b.kind || a.p1 != b.p1 || a.p2 != b.p2 || a.p3 != b.p3 || a.points != b.points)
                diff << "shape " << i << " (kind " << a.kind << "/" << b.kind << ") or its points differ\n";
            // The hit boxes are the grab squares, in their order; the others are left empty.
            std::vector<ShapeRect> boxes;
            for (const auto& [c, r] : GrabSquares(b))
                boxes.push_back({c.x - r, c.y - r, c.x + r, c.y + r});
            boxes.resize(a.handles.size());
            if (!std::equal(boxes.begin(), boxes.end(), a.handles.begin(), a.handles.end()))
                diff << "hit boxes of shape " << i << "\n";
        }
        if (state_.selectedIndex != model_.selected)
            diff << "selected " << state_.selectedIndex << " vs " << model_.selected << "\n";
        if (state_.hoverIndex != model_.hover)
            diff << "hover " << state_.hoverIndex << " vs " << model_.hover << "\n";
        if (state_.currentTool != model_.tool)
            diff << "tool " << state_.currentTool << " vs " << model_.tool << "\n";
        if (host_.pans != model_.pans)
            diff << "pans " << host_.pans.size() << " vs " << model_.pans.size() << "\n";
        if (host_.captured)
            diff << "mouse still captured\n";
        if (diff.str().empty())
            return true;
        failure = log_.str() + "--\n" + diff.str();
        return false;
    }

    std::mt19937 rng_;
    MeasureState state_;
    TestView tv_;
    RecordingHost host_;
    Geometry geo_;
    Model model_;
    std::ostringstream log_;
    std::ostringstream mismatch_;
};

} // namespace

TEST(ShapeEditorModel, RandomGesturesMatchTheModel) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        Runner runner(seed);
        runner.Run(80);
        ASSERT_TRUE(runner.failure.empty()) << "seed " << seed << "\n" << runner.failure;
    }
}
