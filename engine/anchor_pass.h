#pragma once
// One forward pass that collects the places where a marker occurs.

constexpr int max_anchors = 998;
// The hit count a pass ends with when it reaches its cap.
constexpr int anchor_cap_hits = max_anchors + 1;

struct AnchorList {
    unsigned offsets[max_anchors + 1];  // numbered from 1; offsets[0] unused
};

// Fills anchors from number 1 and returns the hit count (999 when capped, with
// 998 recorded). The search resumes step bytes behind each hit.
int collect_anchors(AnchorList& anchors, const int* pattern, int length, unsigned step);

extern const int double_one_marker[8];
extern const int mid_one_marker[6];
extern const int paint_name_marker[10];

// The number of recorded anchors for a hit count: the 999th hit is not recorded.
inline int recorded_anchors(int hits) { return hits < max_anchors ? hits : max_anchors; }
