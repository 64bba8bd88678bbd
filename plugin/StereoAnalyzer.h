#pragma once

#include <cstdint>
#include <vector>

struct CStereoKernels;
struct StereoScan;

// Frames per analysis block: the engine's block size, the effect's latency
// and the number of scope points.
constexpr int32_t kBlockLength = 512;
// The largest change of the correlation per sample of a block; the meter
// moves at most 0.0512 per smoothing step at 512 frames.
constexpr float kMaxStepPerSample = 0.0001f;
// The single-precision value nearest 1/sqrt(2): rotates L/R into side/mid.
constexpr float kRotation = 0.70710677f;

// Sign agreement of two runs, from -1 (every frame of opposite sign) to +1
// (every frame of equal sign or both silent); a frame with exactly one
// silent channel counts half.
float signCorrelation(const float* left, const float* right, int32_t count);
// The same rule in pieces, for runs read a part at a time: the agreement of
// a part in half frames (2 per agreeing frame), and the correlation of
// halves counted over count frames.
int32_t signAgreementHalves(const float* left, const float* right, int32_t count);
float correlationOfHalves(int64_t halves, int64_t count);

// Moves previous towards target by at most maxStep.
float limitStep(float previous, float maxStep, float target);

// Turns one stereo block into the scope's side/mid points and the smoothed
// phase correlation, and optionally sums the block to mono.
//
// A block goes through stages, each one pass over it at most: the scan of
// the block as it came in (agreement and peaks), the block to be heard (a
// copy or the mono sum), and the points. Another per-frame stage joins the
// same way, as a pass of its own that runs only while its result is used.
class CStereoAnalyzer
{
  public:
    // kernels null: the fastest this processor runs.
    explicit CStereoAnalyzer(int32_t blockLength, const CStereoKernels* kernels = nullptr);
    virtual ~CStereoAnalyzer();

    CStereoAnalyzer(const CStereoAnalyzer&) = delete;
    CStereoAnalyzer& operator=(const CStereoAnalyzer&) = delete;

    // channels (left, right) are only read; outputs receive the block as it
    // came in, or its mono sum. All four hold the analyzer's block length;
    // outputs may be the channels themselves, else nothing overlaps. length
    // is the caller's block size and not otherwise used.
    void analyzeBlock(float** channels, float** outputs, int32_t length);
    // analyzeBlock in two halves, for a caller that needs the points of only
    // the last of several blocks: the correlation and the outputs, then the
    // points of the block measured last, from its outputs, which must be
    // unchanged since.
    void measureBlock(float* const channels[2], float* const outputs[2]);
    void drawPoints();
    // measureBlock for a block that a caller scanned as it came in (with the
    // kernels' delayScan): the outputs are the channels, summed to mono in
    // place.
    void measureScannedBlock(float* const channels[2], const StereoScan& scan);
    void setMono(int32_t flag);
    // Centres the points and lets the next block set the correlation at once.
    void resetAnalysis();

    const float* sidePoints() const { return side.data(); }
    const float* midPoints() const { return mid.data(); }
    float correlation() const { return corr; }
    int32_t getBlockLength() const { return blockLength; }

  private:
    // One smoothing step towards the raw value of a block.
    void smoothCorrelation(float raw);
    void measure(float* const channels[2], float* const outputs[2], StereoScan scan);

    const CStereoKernels* kernels;
    int32_t blockLength;
    int32_t mono;
    int32_t first;
    float maxStep;
    std::vector<float> side;
    std::vector<float> mid;
    float corr;
    float previousCorr;
    // The block measureBlock heard last and its scale, until drawPoints.
    const float* heard[2];
    float heardScale;
};
