// A renderer for tests: records every call with its arguments instead of drawing.
#pragma once
#include <string>
#include <vector>

#include "render/renderer.h"

// One recorded call: its operation name, integer arguments and copies of its vertices.
struct RecordedCall {
    std::string op;
    std::vector<int> args;
    std::vector<MeshVertex> verts;
};

class RecordingRenderer : public Renderer {
  public:
    std::vector<RecordedCall> calls;

    void setState(int state, int value) override { add("setState", {state, value}); }
    void updateTexture(int texture, const Image*, int format) override {
        add("updateTexture", {texture, format});
    }
    int createTexture(const Image*, int format) override {
        ++textureCount;
        add("createTexture", {textureCount, format});
        return textureCount;
    }
    void drawTriangle(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c) override {
        add("drawTriangle", {}, {*a, *b, *c});
    }
    void drawTriangleDual(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c) override {
        add("drawTriangleDual", {}, {*a, *b, *c});
    }
    void drawTriangleReserved(const MeshVertex*, const MeshVertex*, const MeshVertex*) override {
        add("drawTriangleReserved", {});
    }
    void drawQuad(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c,
                  const MeshVertex* d) override {
        add("drawQuad", {}, {*a, *b, *c, *d});
    }
    void bindTexture0(int texture) override { add("bindTexture0", {texture}); }
    void bindTexture1(int texture) override { add("bindTexture1", {texture}); }
    void setHint1(int value) override { add("setHint1", {value}); }
    void setHint2(int value) override { add("setHint2", {value}); }
    void setGrey(int level) override { add("setGrey", {level}); }
    void clear() override { add("clear", {}); }
    void present() override { add("present", {}); }
    void setBlendMode(int mode) override { add("setBlendMode", {mode}); }
    void setHint3(int value) override { add("setHint3", {value}); }
    void saveState() override { add("saveState", {}); }
    void restoreState() override { add("restoreState", {}); }
    void flush() override { add("flush", {}); }

    // Calls whose operation is `op`, in order.
    std::vector<RecordedCall> named(const std::string& op) const {
        std::vector<RecordedCall> out;
        for (const auto& c : calls)
            if (c.op == op) out.push_back(c);
        return out;
    }
    // Number of calls whose operation is `op`.
    size_t count(const std::string& op) const { return named(op).size(); }
    // Number of triangle calls of either kind.
    size_t triangles() const { return count("drawTriangle") + count("drawTriangleDual"); }

  private:
    void add(const char* op, std::vector<int> args, std::vector<MeshVertex> verts = {}) {
        calls.push_back({op, std::move(args), std::move(verts)});
    }
};

// A renderer that does nothing at all: for benchmarks and allocation counts.
class NullRenderer : public Renderer {
  public:
    void setState(int, int) override {}
    void updateTexture(int, const Image*, int) override {}
    int createTexture(const Image*, int) override { return ++textureCount; }
    void drawTriangle(const MeshVertex*, const MeshVertex*, const MeshVertex*) override {}
    void drawTriangleDual(const MeshVertex*, const MeshVertex*, const MeshVertex*) override {}
    void drawTriangleReserved(const MeshVertex*, const MeshVertex*, const MeshVertex*) override {}
    void drawQuad(const MeshVertex*, const MeshVertex*, const MeshVertex*,
                  const MeshVertex*) override {}
    void bindTexture0(int) override {}
    void bindTexture1(int) override {}
    void setHint1(int) override {}
    void setHint2(int) override {}
    void setGrey(int) override {}
    void clear() override {}
    void present() override {}
    void setBlendMode(int) override {}
    void setHint3(int) override {}
    void saveState() override {}
    void restoreState() override {}
    void flush() override {}
};
