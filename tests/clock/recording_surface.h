#pragma once

#include <memory>
#include <vector>

#include "clock/color_ref.h"
#include "clock/pixel_geometry.h"
#include "clock/segment_surface.h"

namespace horalux::test {

// A SegmentSurface that records every pen and stroke, and the misuse of pens: destroying a
// pen while it is selected, or selecting one that no longer exists.
class RecordingSurface final : public SegmentSurface {
  public:
    struct PenInfo {
        int width;
        ColorRef colour;
        bool destroyed = false;
    };
    struct Stroke {
        int pen;  // index into pens(); -1 for the surface's initial pen
        PixelPoint from;
        PixelPoint to;
    };

    std::unique_ptr<SegmentPen> makePen(int width, ColorRef colour) override {
        pens_.push_back({width, colour});
        return std::make_unique<Pen>(*this, static_cast<int>(pens_.size()) - 1);
    }

    SegmentPen* selectPen(SegmentPen* pen) override {
        if (auto* p = dynamic_cast<Pen*>(pen); p != nullptr && pens_[p->index].destroyed) {
            ++misuses_;
        }
        SegmentPen* previous = selected_;
        selected_ = pen;
        return previous;
    }

    void moveTo(int x, int y) override { current_ = {x, y}; }

    void lineTo(int x, int y) override {
        const auto* p = dynamic_cast<Pen*>(selected_);
        strokes_.push_back({p != nullptr ? p->index : -1, current_, {x, y}});
        current_ = {x, y};
    }

    const std::vector<PenInfo>& pens() const { return pens_; }
    const std::vector<Stroke>& strokes() const { return strokes_; }
    const PenInfo& penOf(const Stroke& s) const { return pens_[static_cast<size_t>(s.pen)]; }
    SegmentPen* selected() const { return selected_; }
    int misuses() const { return misuses_; }
    int livePens() const {
        int live = 0;
        for (const PenInfo& p : pens_) {
            live += p.destroyed ? 0 : 1;
        }
        return live;
    }

  private:
    class Pen final : public SegmentPen {
      public:
        Pen(RecordingSurface& surface, int index) : surface_(surface), index(index) {}
        ~Pen() override {
            if (surface_.selected_ == this) {
                ++surface_.misuses_;
            }
            surface_.pens_[static_cast<size_t>(index)].destroyed = true;
        }

      private:
        RecordingSurface& surface_;

      public:
        const int index;
    };

    std::vector<PenInfo> pens_;
    std::vector<Stroke> strokes_;
    SegmentPen* selected_ = nullptr;
    PixelPoint current_;
    int misuses_ = 0;
};

}  // namespace horalux::test
