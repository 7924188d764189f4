// The drone pass with the flocking of consecutive drones overlapped.
//
// Why it can be faster at all. FlockDrone walks every neighbour of a drone, and each
// neighbour adds a chain of four dependent operations to the drone's velocity: subtract,
// multiply, add, add. The distances and the divisions do not wait for the velocity; that
// chain does, and it sets the pace of the plain pass: N(N-1) chain steps one after another.
// The results may not change by a bit, so the chain of each drone keeps its order. What is
// free is when each step runs. Drone i's steps over the drones before it in the list read
// only drones that have finished this tick, so they can run while drone i-1 is still busy;
// its steps over the drones after it read last tick's values and wait only for its own
// chain. So the longest chain through the pass is, per drone, one step over the drone just
// finished and then its steps over the drones after it: N(N-1)/2 steps in all, half of the
// plain pass.
//
// The schedule. Live drones are taken four at a time, in list order, one per SSE2 lane:
//  - The current block's drones are finished one after another. The drone whose turn it is
//    leaves its lane, takes its steps over the pending drones (the ones after it in the
//    list) as a scalar chain, is written back, gets UpdateDrone and joins the finished
//    drones. The lanes still waiting then take their step over it, so the next drone has
//    every finished drone behind it when its turn comes.
//  - The next block rides along: for every pending step of the current drone it takes one
//    step, all four lanes at once, over the next finished drone it has not yet seen. Those
//    steps hang off chains of their own, so they barely slow the current one.
//  - When the current block is done, the next one becomes current; if it fell behind (late
//    in the list, where a drone has few pending neighbours and many finished ones) it first
//    catches up, with the block after it riding along.
// Every lane does exactly the scalar operations of FlockDrone in the same order; a lane at
// distance 0 keeps its velocity, as FlockDrone skips such a neighbour. Drones are updated
// one at a time in list order, so the random draws, the dead drones (removed when the
// pass reaches them, still neighbours of the drones before them) and the kinds come out as
// in RunDronePass.
//
// Storage. The pass copies every drone's position and velocity into flat arrays, one slot
// per drone in list order, and reads pending neighbours only from there. A finished drone is
// appended to a second array with each value repeated four times, ready for the blocks. The
// arrays are kept from tick to tick and grow, at least doubling, only when the swarm
// outgrows every swarm of this game before it; the swarm grows only by waves, so only a tick
// whose wave has just made drones can allocate here. A new game gives the memory back.
#include "game/drone_pass.h"

#include "game/drones.h"

#if defined(__SSE2__)

#include <emmintrin.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int kLanes = 4;  // one drone per lane of an SSE2 register
constexpr int kAllLanes = (1 << kLanes) - 1;
// Where unused lanes and the padding past the last drone stand: far enough from every drone
// that no distance there is zero or makes a subnormal, which would only cost time.
constexpr float kNowhere = 1.0e6f;

// A drone finished in this tick, each value repeated in all four lanes, ready for a block.
struct Finished {
  __m128 x, y, vx, vy;
};

// A live drone and its slot in the pending arrays.
struct LiveDrone {
  Drone* drone;
  int slot;
};

// The pass's memory, kept from tick to tick until the game ends.
struct Scratch {
  std::vector<float> pending;      // every drone as the tick found it: four runs x, y, vx, vy
  std::vector<LiveDrone> live;     // the live drones in list order
  std::vector<Finished> finished;  // the live drones already moved in this tick, in order
};

Scratch g_scratch;

// Makes v hold at least n entries, at least doubling when it must grow, so that a swarm that
// gains a few drones per wave reallocates only now and then.
template <typename T>
void Fit(std::vector<T>& v, size_t n) {
  if (v.size() >= n) return;
  if (v.capacity() < n) v.reserve(std::max(n, 2 * v.capacity()));
  v.resize(n);
}

// The pending arrays, one slot per drone in list order.
struct Arrays {
  float* x;
  float* y;
  float* vx;
  float* vy;
};

// Up to four consecutive live drones flocking side by side.
struct Block {
  __m128 ax, ay;  // positions: they stay put until each drone's own update
  __m128 vx, vy;  // velocities as the flocking so far has left them
  int first;      // index in live of the drone in lane 0
  int count;      // lanes in use
  int done;       // finished drones flocked against, in order
};

Block MakeBlock(const LiveDrone* live, const Arrays& a, int first, int liveCount) {
  Block b;
  b.first = first;
  b.count = std::max(0, std::min(kLanes, liveCount - first));
  b.done = 0;
  alignas(16) float ax[kLanes], ay[kLanes], vx[kLanes], vy[kLanes];
  for (int lane = 0; lane < kLanes; ++lane) {
    if (lane < b.count) {
      const int slot = live[first + lane].slot;
      ax[lane] = a.x[slot];
      ay[lane] = a.y[slot];
      vx[lane] = a.vx[slot];
      vy[lane] = a.vy[slot];
    } else {
      ax[lane] = kNowhere;
      ay[lane] = kNowhere;
      vx[lane] = 0.0f;
      vy[lane] = 0.0f;
    }
  }
  b.ax = _mm_load_ps(ax);
  b.ay = _mm_load_ps(ay);
  b.vx = _mm_load_ps(vx);
  b.vy = _mm_load_ps(vy);
  return b;
}

// One step of FlockDrone in every lane at once, against finished drone f. A lane in `active`
// at distance 0 keeps its velocity; lanes outside it are never read again.
inline void FlockLanes(const Finished& f, Block& b, int active) {
  const __m128 dx = _mm_sub_ps(b.ax, f.x);
  const __m128 dy = _mm_sub_ps(b.ay, f.y);
  const __m128 dist2 = _mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy));
  const __m128 match = _mm_div_ps(_mm_set1_ps(kFlockMatch), dist2);
  const __m128 repel = _mm_div_ps(_mm_set1_ps(kFlockRepel), dist2);
  __m128 vx = _mm_add_ps(b.vx, _mm_mul_ps(_mm_sub_ps(f.vx, b.vx), match));
  __m128 vy = _mm_add_ps(b.vy, _mm_mul_ps(_mm_sub_ps(f.vy, b.vy), match));
  vx = _mm_add_ps(vx, _mm_mul_ps(dx, repel));
  vy = _mm_add_ps(vy, _mm_mul_ps(dy, repel));
  // Rare, so a branch: a blend on every step would lengthen the chain.
  const __m128 same = _mm_cmpeq_ps(dist2, _mm_setzero_ps());
  if (_mm_movemask_ps(same) & active) {
    vx = _mm_or_ps(_mm_and_ps(same, b.vx), _mm_andnot_ps(same, vx));
    vy = _mm_or_ps(_mm_and_ps(same, b.vy), _mm_andnot_ps(same, vy));
  }
  b.vx = vx;
  b.vy = vy;
}

// The lanes of a block that hold drones.
inline int Used(const Block& b) {
  return (1 << b.count) - 1;
}

// Lets the next block take up to `steps` steps over finished drones it has not seen yet.
inline void RideAlong(const Finished* finished, int finishedCount, Block& next, int steps) {
  const int ride = std::min(steps, finishedCount - next.done);
  const int active = Used(next);
  for (int r = 0; r < ride; ++r) FlockLanes(finished[next.done + r], next, active);
  next.done += std::max(ride, 0);
}

// The current drone's steps over the pending drones in slots [from, end), with the next
// block riding along. Distances and divisions are taken four neighbours at a time, since
// they do not wait for the velocity; what stays scalar is the chain itself.
inline void FlockPending(const Arrays& a, int from, int end, float ax, float ay, float& vxOut,
                         float& vyOut, Block& next, const Finished* finished, int finishedCount) {
  float vx = vxOut;
  float vy = vyOut;
  const __m128 ax4 = _mm_set1_ps(ax);
  const __m128 ay4 = _mm_set1_ps(ay);
  for (int j = from; j < end; j += kLanes) {
    const __m128 dx = _mm_sub_ps(ax4, _mm_loadu_ps(a.x + j));
    const __m128 dy = _mm_sub_ps(ay4, _mm_loadu_ps(a.y + j));
    const __m128 dist2 = _mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy));
    const __m128 repel = _mm_div_ps(_mm_set1_ps(kFlockRepel), dist2);
    alignas(16) float match[kLanes], pushX[kLanes], pushY[kLanes];
    _mm_store_ps(match, _mm_div_ps(_mm_set1_ps(kFlockMatch), dist2));
    _mm_store_ps(pushX, _mm_mul_ps(dx, repel));
    _mm_store_ps(pushY, _mm_mul_ps(dy, repel));
    int skip = _mm_movemask_ps(_mm_cmpeq_ps(dist2, _mm_setzero_ps()));
    if (end - j < kLanes) skip |= (kAllLanes << (end - j)) & kAllLanes;  // past the last drone
    const float* bvx = a.vx + j;
    const float* bvy = a.vy + j;
    // The two loops differ only in the skip test, kept out of the common case's chain.
    if (skip == 0) {
      for (int t = 0; t < kLanes; ++t) {
        vx = vx + (bvx[t] - vx) * match[t];
        vy = vy + (bvy[t] - vy) * match[t];
        vx = vx + pushX[t];
        vy = vy + pushY[t];
      }
    } else {
      for (int t = 0; t < kLanes; ++t) {
        if (skip >> t & 1) continue;  // the same point, or no drone at all
        vx = vx + (bvx[t] - vx) * match[t];
        vy = vy + (bvy[t] - vy) * match[t];
        vx = vx + pushX[t];
        vy = vy + pushY[t];
      }
    }
    RideAlong(finished, finishedCount, next, kLanes);
  }
  vxOut = vx;
  vyOut = vy;
}

}  // namespace

void RunPipelinedDronePass() {
  Scratch& s = g_scratch;
  const int total = static_cast<int>(g_drones.size());
  const size_t slots = static_cast<size_t>(total) + kLanes;  // room for the last four-wide load
  Fit(s.pending, 4 * slots);
  Fit(s.live, slots);
  Fit(s.finished, slots);
  float* pending = s.pending.data();
  const Arrays a = {pending, pending + slots, pending + 2 * slots, pending + 3 * slots};
  LiveDrone* live = s.live.data();
  Finished* done = s.finished.data();

  int liveCount = 0;
  int m = 0;
  for (Drone* d : g_drones) {
    a.x[m] = d->x;
    a.y[m] = d->y;
    a.vx[m] = d->vx;
    a.vy[m] = d->vy;
    if (!d->dead) live[liveCount++] = {d, m};
    ++m;
  }
  for (int p = total; p < total + kLanes; ++p) {
    a.x[p] = kNowhere;
    a.y[p] = kNowhere;
    a.vx[p] = 0.0f;
    a.vy[p] = 0.0f;
  }

  auto it = g_drones.begin();
  int itSlot = 0;  // the slot of *it
  int finished = 0;
  Block cur = MakeBlock(live, a, 0, liveCount);
  Block next = MakeBlock(live, a, kLanes, liveCount);
  while (cur.count > 0) {
    // A block that fell behind catches up before its first drone may go on.
    while (cur.done < finished) {
      FlockLanes(done[cur.done], cur, Used(cur));
      ++cur.done;
      RideAlong(done, finished, next, 1);
    }
    for (int lane = 0; lane < cur.count; ++lane) {
      Drone* d = live[cur.first + lane].drone;
      const int c = live[cur.first + lane].slot;
      // The pass reaches this drone: the dead ones in front of it leave the list now.
      while (itSlot < c) {
        delete *it;
        it = g_drones.erase(it);
        ++itSlot;
      }
      ++it;
      ++itSlot;

      alignas(16) float lanesX[kLanes], lanesY[kLanes];
      _mm_store_ps(lanesX, cur.vx);
      _mm_store_ps(lanesY, cur.vy);
      float vx = lanesX[lane];
      float vy = lanesY[lane];
      FlockPending(a, c + 1, total, a.x[c], a.y[c], vx, vy, next, done, finished);
      d->vx = vx;
      d->vy = vy;
      UpdateDrone(*d);
      done[finished] = {_mm_set1_ps(d->x), _mm_set1_ps(d->y), _mm_set1_ps(d->vx),
                        _mm_set1_ps(d->vy)};
      ++finished;

      if (lane + 1 < cur.count) {
        FlockLanes(done[finished - 1], cur, Used(cur) & ~((2 << lane) - 1));
        cur.done = finished;
      }
    }
    cur = next;
    next = MakeBlock(live, a, cur.first + kLanes, liveCount);
  }
  while (it != g_drones.end()) {  // dead drones behind the last live one
    delete *it;
    it = g_drones.erase(it);
  }
}

void ReleaseDronePass() {
  g_scratch = Scratch();
}

#else  // no SSE2: the plain pass is the same pass, only slower

void RunPipelinedDronePass() {
  RunDronePass();
}

void ReleaseDronePass() {}

#endif
