#include "clip/clip.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "clip/palette.h"

namespace {

struct FormatParts {
  ClipFormat format;
  const char* extension;
  const char* muxer;
  const char* video;  // encoders, by FFmpeg's names
  const char* sound;  // null: no sound
};
constexpr FormatParts kFormats[] = {
    {ClipFormat::kMp4, ".mp4", "mp4", "libx264", "aac"},
    {ClipFormat::kWebm, ".webm", "webm", "libvpx-vp9", "libopus"},
    {ClipFormat::kGif, ".gif", "gif", "gif", nullptr},
};

const FormatParts& PartsOf(ClipFormat format) {
  return *std::find_if(std::begin(kFormats), std::end(kFormats),
                       [format](const FormatParts& p) { return p.format == format; });
}

std::string Cause(int averror) {
  char text[AV_ERROR_MAX_STRING_SIZE] = "";
  av_strerror(averror, text, sizeof text);
  return text;
}

}  // namespace

struct Clip {
  ClipFormat format;
  AVFormatContext* output = nullptr;
  AVCodecContext* video = nullptr;
  AVCodecContext* sound = nullptr;  // null for a GIF
  AVStream* videoStream = nullptr;
  AVStream* soundStream = nullptr;
  SwsContext* toYuv = nullptr;  // null for a GIF
  AVFrame* picture = nullptr;
  AVFrame* samples = nullptr;
  AVPacket* packet = nullptr;
  Palette palette;               // a GIF's
  int64_t pictures = 0;          // handed to the encoder so far
  int64_t soundFrames = 0;       // handed to the encoder so far
  std::vector<int16_t> pending;  // sound short of a whole encoder frame, interleaved
  bool started = false;          // the file's header is written
  int failure = 0;               // the first failure's AVERROR; 0 while all is well
};

namespace {

bool Fail(Clip* clip, int averror) {
  if (clip->failure == 0) clip->failure = averror;
  return false;
}

// Hands a frame to the encoder (null: no more) and writes out every packet it has ready.
// The output's own error counts too: a write that fails is kept there, not returned.
bool Encode(Clip* clip, AVCodecContext* codec, AVStream* stream, AVFrame* frame) {
  if (clip->failure != 0) return false;
  int result = avcodec_send_frame(codec, frame);
  while (result >= 0) {
    result = avcodec_receive_packet(codec, clip->packet);
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
    if (result < 0) break;
    if (codec == clip->sound && clip->format == ClipFormat::kWebm) {
      // Opus's first packet starts before the sound, by the samples the decoder drops, and
      // the file says how many; this muxer would push every stream later by as much, and the
      // pictures would trail the sound.
      clip->packet->pts += codec->initial_padding;
      clip->packet->dts += codec->initial_padding;
    }
    av_packet_rescale_ts(clip->packet, codec->time_base, stream->time_base);
    clip->packet->stream_index = stream->index;
    result = av_interleaved_write_frame(clip->output, clip->packet);
    if (result >= 0 && clip->output->pb->error < 0) result = clip->output->pb->error;
  }
  return Fail(clip, result);
}

AVCodecContext* NewEncoder(const char* name, std::string* error) {
  const AVCodec* codec = avcodec_find_encoder_by_name(name);
  AVCodecContext* context = codec != nullptr ? avcodec_alloc_context3(codec) : nullptr;
  if (context == nullptr) *error = std::string("FFmpeg here has no ") + name + " encoder";
  return context;
}

// Opens the encoder with its options and gives it a stream in the file.
bool StartEncoder(Clip* clip, AVCodecContext* codec, AVDictionary** options, AVStream** stream,
                  std::string* error) {
  if (clip->output->oformat->flags & AVFMT_GLOBALHEADER) {
    codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  }
  int result = avcodec_open2(codec, codec->codec, options);
  av_dict_free(options);
  *stream = result >= 0 ? avformat_new_stream(clip->output, nullptr) : nullptr;
  if (*stream != nullptr) {
    result = avcodec_parameters_from_context((*stream)->codecpar, codec);
    (*stream)->time_base = codec->time_base;
  }
  if (result < 0 || *stream == nullptr) {
    *error = std::string("cannot start the ") + codec->codec->name +
             " encoder: " + Cause(result < 0 ? result : AVERROR(ENOMEM));
    return false;
  }
  return true;
}

bool StartVideo(Clip* clip, int width, int height, std::string* error) {
  const FormatParts& parts = PartsOf(clip->format);
  AVCodecContext* v = clip->video = NewEncoder(parts.video, error);
  if (v == nullptr) return false;
  v->width = width;
  v->height = height;
  v->time_base = {1, kClipFramesPerSecond};
  v->framerate = {kClipFramesPerSecond, 1};
  AVDictionary* options = nullptr;
  if (clip->format == ClipFormat::kGif) {
    v->pix_fmt = AV_PIX_FMT_PAL8;
    MakePalette(&clip->palette);
  } else {
    // 4:2:0 and the TV range, as every phone and browser decodes; the matrix said outright,
    // as players guess it from the size otherwise.
    v->pix_fmt = AV_PIX_FMT_YUV420P;
    v->color_range = AVCOL_RANGE_MPEG;
    v->colorspace = AVCOL_SPC_SMPTE170M;
    v->color_primaries = AVCOL_PRI_SMPTE170M;
    v->color_trc = AVCOL_TRC_SMPTE170M;
    clip->toYuv = sws_getContext(width, height, AV_PIX_FMT_RGBA, width, height, v->pix_fmt,
                                 SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (clip->toYuv == nullptr) {
      *error = "cannot convert pictures to YUV";
      return false;
    }
    // Speed settings that still render a minute of play in well under half a minute on two
    // cores; thin bright lines on black need the quality more than the bits.
    if (clip->format == ClipFormat::kMp4) {
      av_dict_set(&options, "preset", "veryfast", 0);
      av_dict_set(&options, "crf", "20", 0);
    } else {
      av_dict_set(&options, "deadline", "realtime", 0);
      av_dict_set(&options, "cpu-used", "8", 0);
      av_dict_set(&options, "row-mt", "1", 0);
      av_dict_set(&options, "crf", "30", 0);
      v->bit_rate = 0;    // constant quality alone
      v->gop_size = 100;  // a key picture every 2 s: where a player can seek, and a cluster end
    }
  }
  if (!StartEncoder(clip, v, &options, &clip->videoStream, error)) return false;
  clip->videoStream->avg_frame_rate = v->framerate;
  clip->picture = av_frame_alloc();
  if (clip->picture != nullptr) {
    clip->picture->format = v->pix_fmt;
    clip->picture->width = width;
    clip->picture->height = height;
  }
  if (clip->picture == nullptr || av_frame_get_buffer(clip->picture, 0) < 0) {
    *error = "out of memory";
    return false;
  }
  return true;
}

bool StartSound(Clip* clip, std::string* error) {
  AVCodecContext* s = clip->sound = NewEncoder(PartsOf(clip->format).sound, error);
  if (s == nullptr) return false;
  s->sample_fmt = s->codec->sample_fmts[0];  // AAC's is planar float, libopus's 16-bit
  s->sample_rate = kClipSampleRate;
  av_channel_layout_default(&s->ch_layout, 2);
  s->bit_rate = clip->format == ClipFormat::kMp4 ? 160000 : 128000;
  s->time_base = {1, kClipSampleRate};
  AVDictionary* options = nullptr;
  // AAC's default coder takes an eighth of a whole render; the fast one is as near the WAV.
  if (clip->format == ClipFormat::kMp4) av_dict_set(&options, "aac_coder", "fast", 0);
  if (!StartEncoder(clip, s, &options, &clip->soundStream, error)) return false;
  clip->samples = av_frame_alloc();
  if (clip->samples == nullptr) {
    *error = "out of memory";
    return false;
  }
  return true;
}

// The first `count` pending frames go to the encoder as one frame.
bool SendSound(Clip* clip, int count) {
  AVCodecContext* s = clip->sound;
  AVFrame* f = clip->samples;
  av_frame_unref(f);
  f->format = s->sample_fmt;
  f->sample_rate = s->sample_rate;
  f->nb_samples = count;
  av_channel_layout_copy(&f->ch_layout, &s->ch_layout);
  if (av_frame_get_buffer(f, 0) < 0) return Fail(clip, AVERROR(ENOMEM));
  const int16_t* in = clip->pending.data();
  if (s->sample_fmt == AV_SAMPLE_FMT_FLTP) {
    auto* left = reinterpret_cast<float*>(f->data[0]);
    auto* right = reinterpret_cast<float*>(f->data[1]);
    for (int i = 0; i < count; ++i) {
      left[i] = in[2 * i] / 32768.0f;
      right[i] = in[2 * i + 1] / 32768.0f;
    }
  } else {
    std::memcpy(f->data[0], in, count * 2 * sizeof(int16_t));
  }
  clip->pending.erase(clip->pending.begin(), clip->pending.begin() + 2 * count);
  f->pts = clip->soundFrames;
  clip->soundFrames += count;
  return Encode(clip, s, clip->soundStream, f);
}

void FreeClip(Clip* clip) {
  if (clip->output != nullptr) avio_closep(&clip->output->pb);
  avformat_free_context(clip->output);
  avcodec_free_context(&clip->video);
  avcodec_free_context(&clip->sound);
  sws_freeContext(clip->toYuv);
  av_frame_free(&clip->picture);
  av_frame_free(&clip->samples);
  av_packet_free(&clip->packet);
  delete clip;
}

}  // namespace

bool ClipFormatOf(const std::string& path, ClipFormat* format) {
  std::string lower = path;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const FormatParts& parts : kFormats) {
    const size_t length = std::strlen(parts.extension);
    if (lower.size() > length &&
        lower.compare(lower.size() - length, length, parts.extension) == 0) {
      *format = parts.format;
      return true;
    }
  }
  return false;
}

bool ClipHasSound(ClipFormat format) {
  return PartsOf(format).sound != nullptr;
}

Clip* OpenClip(const char* path, ClipFormat format, int width, int height, std::string* error) {
  // The libraries' chatter would bury the one line that matters; failures come back as
  // results and are said once, by the caller.
  av_log_set_level(AV_LOG_QUIET);
  Clip* clip = new Clip;
  clip->format = format;
  // Always a file: a name like "rtmp://host/x.mp4" must not reach FFmpeg's network protocols.
  const std::string url = std::string("file:") + path;
  clip->packet = av_packet_alloc();
  if (clip->packet == nullptr ||
      avformat_alloc_output_context2(&clip->output, nullptr, PartsOf(format).muxer, url.c_str()) <
          0) {
    *error = "out of memory";
    FreeClip(clip);
    return nullptr;
  }
  if (!StartVideo(clip, width, height, error) ||
      (ClipHasSound(format) && !StartSound(clip, error))) {
    FreeClip(clip);
    return nullptr;
  }
  int result = avio_open(&clip->output->pb, url.c_str(), AVIO_FLAG_WRITE);
  AVDictionary* options = nullptr;
  if (result >= 0 && format == ClipFormat::kWebm) {
    // A cluster is written whole once it ends, at a key picture after this long: a full disk
    // is found within 2 s of video rather than 5.
    av_dict_set(&options, "cluster_time_limit", "1000", 0);
  }
  if (result >= 0 && format == ClipFormat::kMp4) {
    // The index at the front, so that a page plays it before it has all of it; a pipe
    // cannot be gone back over, and gets the index a piece at a time instead.
    const bool seekable = clip->output->pb->seekable & AVIO_SEEKABLE_NORMAL;
    av_dict_set(&options, "movflags", seekable ? "+faststart" : "+frag_keyframe+empty_moov", 0);
  }
  if (result >= 0) result = avformat_write_header(clip->output, &options);
  av_dict_free(&options);
  if (result >= 0 && clip->output->pb->error < 0) result = clip->output->pb->error;
  if (result < 0) {
    *error = "cannot write: " + Cause(result);
    FreeClip(clip);
    return nullptr;
  }
  clip->started = true;
  return clip;
}

bool AddClipPicture(Clip* clip, const uint8_t* rgba) {
  if (clip->failure != 0) return false;
  AVFrame* p = clip->picture;
  if (av_frame_make_writable(p) < 0) return Fail(clip, AVERROR(ENOMEM));
  const int width = p->width;
  const int height = p->height;
  // OpenGL's rows run up from the bottom; a picture's run down from the top.
  const uint8_t* top = rgba + static_cast<size_t>(height - 1) * width * 4;
  if (clip->format == ClipFormat::kGif) {
    for (int y = 0; y < height; ++y) {
      const uint8_t* in = top - static_cast<ptrdiff_t>(y) * width * 4;
      uint8_t* out = p->data[0] + static_cast<ptrdiff_t>(y) * p->linesize[0];
      for (int x = 0; x < width; ++x) out[x] = PaletteIndex(clip->palette, in + 4 * x);
    }
    std::memcpy(p->data[1], clip->palette.colours, sizeof clip->palette.colours);
  } else {
    const int stride = -width * 4;
    sws_scale(clip->toYuv, &top, &stride, 0, height, p->data, p->linesize);
  }
  p->pts = clip->pictures++;
  return Encode(clip, clip->video, clip->videoStream, p);
}

bool AddClipSound(Clip* clip, const int16_t* frames, int count) {
  if (clip->failure != 0) return false;
  if (clip->sound == nullptr) return true;
  clip->pending.insert(clip->pending.end(), frames, frames + 2 * count);
  const int whole = clip->sound->frame_size;
  while (static_cast<int>(clip->pending.size()) >= 2 * whole) {
    if (!SendSound(clip, whole)) return false;
  }
  return true;
}

bool CloseClip(Clip* clip, std::string* error) {
  if (clip->started && clip->failure == 0) {
    // The last frame of sound may be short; then both encoders give up what they hold.
    if (clip->sound != nullptr && !clip->pending.empty()) {
      SendSound(clip, static_cast<int>(clip->pending.size() / 2));
    }
    Encode(clip, clip->video, clip->videoStream, nullptr);
    if (clip->sound != nullptr) Encode(clip, clip->sound, clip->soundStream, nullptr);
    if (clip->failure == 0) {
      const int result = av_write_trailer(clip->output);
      if (result < 0) Fail(clip, result);
      if (clip->output->pb->error < 0) Fail(clip, clip->output->pb->error);
    }
  }
  if (clip->output != nullptr && clip->output->pb != nullptr) {
    const int result = avio_closep(&clip->output->pb);
    if (result < 0) Fail(clip, result);
  }
  const bool whole = clip->failure == 0;
  if (!whole) *error = "cannot write: " + Cause(clip->failure);
  FreeClip(clip);
  return whole;
}
