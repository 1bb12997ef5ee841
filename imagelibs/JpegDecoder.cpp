#include "imagelibs/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <memory>

// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

#include "imagelibs/ImageLimits.h"
#include "imagelibs/ImageResult.h"

namespace imagelibs {
namespace {

// Everything the decoder touches between a setjmp and its longjmp: plain C
// data only, so that no destructor is ever skipped by a jump.
struct JpegJob {
  jpeg_decompress_struct info;
  jpeg_error_mgr errors;
  jpeg_progress_mgr progress;
  std::jmp_buf jump;
  int failure;
  bool scanLimitHit;
};

JpegJob* jobOf(j_common_ptr info) { return static_cast<JpegJob*>(info->client_data); }

int resultOf(const JpegJob& job) {
  if (job.scanLimitHit) return kTooLarge;
  switch (job.errors.msg_code) {
    case JERR_NO_SOI: return kWrongSignature;
    case JERR_EMPTY_IMAGE: return kNoPixels;
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
    case JERR_OUT_OF_MEMORY:
    case JERR_NO_BACKING_STORE: return kTooLarge;
    default: return kDamaged;
  }
}

[[noreturn]] void fail(j_common_ptr info) {
  JpegJob* job = jobOf(info);
  job->failure = resultOf(*job);
  std::longjmp(job->jump, 1);
}

// A warning means the data is not what it claims to be (premature end,
// corrupt segments): the picture would come out partly grey.
void message(j_common_ptr info, int level) {
  if (level < 0) fail(info);
}

void watchScans(j_common_ptr info) {
  const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
  if (decompress->input_scan_number <= JpegDecoder::kMaxScans) return;
  jobOf(info)->scanLimitHit = true;
  fail(info);
}

int bitCountFor(const jpeg_decompress_struct& info) { return info.jpeg_color_space == JCS_GRAYSCALE ? 8 : 24; }

// Reads the header and starts decompression; no pixel buffer exists yet.
int readHeader(JpegJob* job, std::FILE* file) {
  if (setjmp(job->jump) != 0) return job->failure;
  jpeg_stdio_src(&job->info, file);
  jpeg_read_header(&job->info, TRUE);
  const jpeg_decompress_struct& info = job->info;
  if (info.image_width == 0 || info.image_height == 0) return kNoPixels;
  if (!ImageLimits::fits(info.image_width, info.image_height, bitCountFor(info))) return kTooLarge;
  switch (info.jpeg_color_space) {
    case JCS_GRAYSCALE: job->info.out_color_space = JCS_GRAYSCALE; break;
    case JCS_CMYK:
    case JCS_YCCK: job->info.out_color_space = JCS_CMYK; break;
    default: job->info.out_color_space = JCS_RGB; break;
  }
  jpeg_start_decompress(&job->info);
  return kOk;
}

// Adobe's CMYK is stored inverted: a stored value is 255 minus the ink.
void cmykToRgb(const JSAMPLE* cmyk, std::uint8_t* rgb, JDIMENSION width) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
    const unsigned k = cmyk[3];
    rgb[0] = static_cast<std::uint8_t>(cmyk[0] * k / 255);
    rgb[1] = static_cast<std::uint8_t>(cmyk[1] * k / 255);
    rgb[2] = static_cast<std::uint8_t>(cmyk[2] * k / 255);
  }
}

int readPixels(JpegJob* job, std::uint8_t* pixels, std::size_t rowBytes) {
  if (setjmp(job->jump) != 0) return job->failure;
  jpeg_decompress_struct& info = job->info;
  const bool cmyk = info.out_color_space == JCS_CMYK;
  JSAMPARRAY cmykRow = cmyk ? (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                         info.output_width * 4, 1)
                            : nullptr;
  while (info.output_scanline < info.output_height) {
    std::uint8_t* row = pixels + static_cast<std::size_t>(info.output_scanline) * rowBytes;
    JSAMPROW target = cmyk ? cmykRow[0] : row;
    if (jpeg_read_scanlines(&info, &target, 1) != 1) return kDamaged;
    if (cmyk) cmykToRgb(cmykRow[0], row, info.output_width);
  }
  jpeg_finish_decompress(&info);
  return kOk;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Owns a job from its decoder's creation to its destruction.
class JpegSession {
 public:
  JpegSession() : job_(std::make_unique<JpegJob>()) {
    job_->info.err = jpeg_std_error(&job_->errors);
    job_->errors.error_exit = fail;
    job_->errors.emit_message = message;
    jpeg_create_decompress(&job_->info);
    job_->info.client_data = job_.get();
    job_->info.mem->max_memory_to_use = JpegDecoder::kMaxDecoderMemory;
    job_->progress.progress_monitor = watchScans;
    job_->info.progress = &job_->progress;
  }
  ~JpegSession() { jpeg_destroy_decompress(&job_->info); }
  JpegSession(const JpegSession&) = delete;
  JpegSession& operator=(const JpegSession&) = delete;

  JpegJob* job() const { return job_.get(); }

 private:
  std::unique_ptr<JpegJob> job_;
};

}  // namespace

int JpegDecoder::decode(const std::string& path, Picture& picture) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return kUnreadable;
  const JpegSession session;
  JpegJob* job = session.job();
  if (const int result = readHeader(job, file.get()); result != kOk) return result;
  Picture decoded;
  decoded.width = static_cast<std::int32_t>(job->info.output_width);
  decoded.height = static_cast<std::int32_t>(job->info.output_height);
  decoded.bitCount = job->info.out_color_space == JCS_GRAYSCALE ? 8 : 24;
  if (decoded.bitCount == 8) {
    for (int i = 0; i < 256; ++i) decoded.palette.insert(decoded.palette.end(), 3, static_cast<std::uint8_t>(i));
  }
  decoded.pixels.resize(decoded.rowBytes() * static_cast<std::size_t>(decoded.height));
  if (const int result = readPixels(job, decoded.pixels.data(), decoded.rowBytes()); result != kOk) return result;
  picture = std::move(decoded);
  return kOk;
}

}  // namespace imagelibs
