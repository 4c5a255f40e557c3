#include "review/ClipWriter.h"

#include "review/PendingFiles.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <map>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

constexpr double kUsualGap = 0.04; // 25 frames a second, when there is no gap to go by

// What one encoding holds, let go of in every way out.
struct Encoding {
    AVFormatContext *format = nullptr;
    AVCodecContext *codec = nullptr;
    AVStream *stream = nullptr;
    AVFrame *frame = nullptr;
    AVPacket *packet = nullptr;
    SwsContext *scale = nullptr;
    std::map<int64_t, int64_t> durations; // by the frames' times, in the codec's ticks
    ~Encoding()
    {
        if (format && format->pb)
            avio_closep(&format->pb);
        avformat_free_context(format);
        avcodec_free_context(&codec);
        av_frame_free(&frame);
        av_packet_free(&packet);
        sws_freeContext(scale);
    }
};

// An FFmpeg error in words: a file's error as the files tell it, any other as the encoder's.
QString reasonOf(int code)
{
    if (code < 0 && code > -1000)
        return PendingFiles::reason(-code);
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QStringLiteral("the encoder failed (%1)").arg(QString::fromUtf8(text));
}

// Writes what the encoder has ready; at the end, all it holds.
int drain(Encoding &e)
{
    for (;;) {
        int rc = avcodec_receive_packet(e.codec, e.packet);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return 0;
        if (rc < 0)
            return rc;
        if (const auto it = e.durations.find(e.packet->pts); it != e.durations.end())
            e.packet->duration = it->second;
        av_packet_rescale_ts(e.packet, e.codec->time_base, e.stream->time_base);
        e.packet->stream_index = e.stream->index;
        if ((rc = av_interleaved_write_frame(e.format, e.packet)) < 0)
            return rc;
    }
}

// The picture into the encoder's frame: H.264 takes it as BT.709 YUV 4:2:0 (the frame may
// be a pixel narrower or lower), GIF as 256 colours of its own.
int fill(Encoding &e, const QImage &picture, QSize size)
{
    if (int rc = av_frame_make_writable(e.frame); rc < 0)
        return rc;
    if (e.codec->pix_fmt == AV_PIX_FMT_PAL8) {
        const QImage indexed = picture.convertToFormat(QImage::Format_Indexed8);
        for (int y = 0; y < size.height(); ++y)
            std::memcpy(e.frame->data[0] + y * e.frame->linesize[0], indexed.constScanLine(y), std::size_t(size.width()));
        auto *palette = reinterpret_cast<uint32_t *>(e.frame->data[1]);
        std::fill_n(palette, AVPALETTE_COUNT, 0xff000000u); // opaque: no colour reads as transparent
        const QList<QRgb> colours = indexed.colorTable();
        std::copy_n(colours.constBegin(), std::min<qsizetype>(colours.size(), AVPALETTE_COUNT), palette);
        return 0;
    }
    const QImage rgb = picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    if (!e.scale) {
        e.scale = sws_getContext(size.width(), size.height(), AV_PIX_FMT_RGB32, size.width(), size.height(),
                                 AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr);
        if (!e.scale)
            return AVERROR(ENOMEM);
        const int *bt709 = sws_getCoefficients(SWS_CS_ITU709);
        sws_setColorspaceDetails(e.scale, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
    }
    const uint8_t *planes[] = {rgb.constBits()};
    const int strides[] = {int(rgb.bytesPerLine())};
    sws_scale(e.scale, planes, strides, 0, size.height(), e.frame->data, e.frame->linesize);
    return 0;
}

// Opens the encoder and the file, and writes the file's head.
int open(Encoding &e, bool gif, QSize size, const QByteArray &url, double usualGap, int64_t lastTicks)
{
    if (int rc = avformat_alloc_output_context2(&e.format, nullptr, gif ? "gif" : "mp4", url.constData()); rc < 0)
        return rc;
    const AVCodec *codec = avcodec_find_encoder_by_name(gif ? "gif" : "libx264");
    if (!codec)
        return AVERROR_ENCODER_NOT_FOUND;
    e.codec = avcodec_alloc_context3(codec);
    e.stream = avformat_new_stream(e.format, nullptr);
    e.frame = av_frame_alloc();
    e.packet = av_packet_alloc();
    if (!e.codec || !e.stream || !e.frame || !e.packet)
        return AVERROR(ENOMEM);
    e.codec->width = e.frame->width = size.width();
    e.codec->height = e.frame->height = size.height();
    e.codec->pix_fmt = gif ? AV_PIX_FMT_PAL8 : AV_PIX_FMT_YUV420P;
    e.frame->format = e.codec->pix_fmt;
    // GIF counts hundredths of a second; the video milliseconds, its frames as far apart as they were seen.
    e.codec->time_base = e.stream->time_base = gif ? AVRational{1, 100} : AVRational{1, 1000};
    e.codec->framerate = AVRational{int(std::lround(1000 / usualGap)), 1000};
    e.codec->colorspace = AVCOL_SPC_BT709;
    e.codec->color_primaries = AVCOL_PRI_BT709;
    e.codec->color_trc = AVCOL_TRC_BT709;
    e.codec->color_range = AVCOL_RANGE_MPEG;
    e.codec->thread_count = 0; // as many as the processor has
    if (e.format->oformat->flags & AVFMT_GLOBALHEADER)
        e.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary *options = nullptr;
    av_dict_set(&options, "preset", "veryfast", 0);
    av_dict_set(&options, "crf", "20", 0);
    // Without lookahead and frame threads the encoder holds a frame or two, not some twenty:
    // the save takes about 40 MiB beside the ring instead of over 200, for a larger file.
    av_dict_set(&options, "tune", "zerolatency", 0);
    int rc = avcodec_open2(e.codec, codec, gif ? nullptr : &options);
    av_dict_free(&options);
    if (rc < 0 || (rc = avcodec_parameters_from_context(e.stream->codecpar, e.codec)) < 0 ||
        (rc = av_frame_get_buffer(e.frame, 0)) < 0 || (rc = avio_open(&e.format->pb, url.constData(), AVIO_FLAG_WRITE)) < 0)
        return rc;
    // The video's index goes to the front, so that it plays while it loads; the GIF's last
    // picture stays as long as the last snapshot did.
    av_dict_set(&options, "movflags", "+faststart", 0);
    av_dict_set_int(&options, "final_delay", lastTicks, 0);
    rc = avformat_write_header(e.format, &options);
    av_dict_free(&options);
    return rc;
}

// Encodes the frames into file; a negative FFmpeg error when that fails. A stop asked for
// leaves the file half written and sets cancelled.
int encode(const QList<ClipWriter::Frame> &frames, bool gif, const QString &file, const ClipWriter::Progress &goOn,
           bool &cancelled)
{
    const QSize first = frames.first().image.size();
    // H.264 in 4:2:0 wants even sides: an odd one loses its last pixel.
    const QSize size = gif ? first : QSize(first.width() & ~1, first.height() & ~1);
    if (size.isEmpty())
        return AVERROR(EINVAL);
    const std::vector<double> times = ClipWriter::timeline(frames);
    const double perSecond = gif ? 100 : 1000;
    std::vector<int64_t> ticks;
    for (const double t : times)
        ticks.push_back(std::max<int64_t>(std::llround(t * perSecond), ticks.empty() ? 0 : ticks.back() + 1));
    Encoding e;
    const double usual = times.back() - times[times.size() - 2];
    int rc = open(e, gif, size, "file:" + QFile::encodeName(file), usual, ticks.back() - ticks[ticks.size() - 2]);
    for (qsizetype i = 0; rc >= 0 && i < frames.size(); ++i) {
        if (!goOn(i)) {
            cancelled = true;
            return 0;
        }
        const QImage &image = frames[i].image;
        if ((rc = fill(e, image.size() == first ? image : image.scaled(first), size)) < 0)
            break;
        e.frame->pts = ticks[std::size_t(i)];
        e.durations[e.frame->pts] = ticks[std::size_t(i) + 1] - ticks[std::size_t(i)];
        if ((rc = avcodec_send_frame(e.codec, e.frame)) >= 0)
            rc = drain(e);
    }
    if (rc >= 0 && (rc = avcodec_send_frame(e.codec, nullptr)) >= 0 && (rc = drain(e)) >= 0 &&
        (rc = av_write_trailer(e.format)) >= 0)
        rc = avio_closep(&e.format->pb);
    return rc;
}

QByteArray png(const QImage &picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return picture.save(&buffer, "PNG") ? bytes : QByteArray();
}

QString notSaved(const QString &target, const QString &why)
{
    return QStringLiteral("\"%1\" was not saved: %2.").arg(QFileInfo(target).fileName(), why);
}

// The PNG of a picture under a pending name for target; empty (errno telling why) when not.
QString addPng(PendingFiles &files, const QImage &picture, const QString &target)
{
    const QByteArray bytes = png(picture);
    const QString name = bytes.isEmpty() ? (errno = ENOMEM, QString()) : files.add(target);
    return name.isEmpty() || !PendingFiles::writeAll(name, bytes) ? QString() : name;
}

} // namespace

QString ClipWriter::write(const QList<Frame> &frames, Format format, const QString &target, const Progress &progress)
{
    if (frames.isEmpty())
        return notSaved(target, QStringLiteral("there is nothing to save"));
    const auto goOn = [&](qsizetype written) { return !progress || progress(written); };
    PendingFiles files;
    bool cancelled = false;
    if (format == Format::Png) {
        for (qsizetype i = 0; i < frames.size() && !(cancelled = !goOn(i)); ++i) {
            if (addPng(files, frames[i].image, numbered(target, i + 1, frames.size())).isEmpty())
                return notSaved(target, PendingFiles::reason(errno));
        }
    } else {
        const QString file = files.add(target);
        if (file.isEmpty())
            return notSaved(target, PendingFiles::reason(errno));
        if (const int rc = encode(frames, format == Format::Gif, file, goOn, cancelled); rc < 0)
            return notSaved(target, reasonOf(rc));
    }
    // A stop asked for while the file was finished still counts.
    if (cancelled || !goOn(frames.size()))
        return QStringLiteral("Saving \"%1\" was cancelled: nothing was saved.").arg(QFileInfo(target).fileName());
    return files.commit() ? QString() : notSaved(target, PendingFiles::reason(errno));
}

QString ClipWriter::writePicture(const QImage &picture, const QString &target)
{
    PendingFiles files;
    if (addPng(files, picture, target).isEmpty() || !files.commit())
        return notSaved(target, PendingFiles::reason(errno));
    return {};
}

std::optional<ClipWriter::Format> ClipWriter::formatOf(const QString &name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (suffix == QLatin1String("mp4"))
        return Format::Mp4;
    if (suffix == QLatin1String("gif"))
        return Format::Gif;
    if (suffix == QLatin1String("png"))
        return Format::Png;
    return std::nullopt;
}

QString ClipWriter::numbered(const QString &target, qsizetype number, qsizetype count)
{
    QString base = target;
    if (base.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        base.chop(4);
    // As many digits as the last number needs, three at least, so that the names sort in order.
    const int digits = std::max(3, int(QString::number(count).size()));
    return base + QStringLiteral("-%1.png").arg(number, digits, 10, QLatin1Char('0'));
}

std::vector<double> ClipWriter::timeline(const QList<Frame> &frames)
{
    std::vector<double> positive;
    for (qsizetype i = 1; i < frames.size(); ++i) {
        if (const double gap = frames[i].seconds - frames[i - 1].seconds; gap > 0)
            positive.push_back(gap);
    }
    double usual = kUsualGap;
    if (!positive.empty()) {
        std::nth_element(positive.begin(), positive.begin() + std::ptrdiff_t(positive.size() / 2), positive.end());
        usual = positive[positive.size() / 2];
    }
    std::vector<double> times{0};
    for (qsizetype i = 1; i < frames.size(); ++i) {
        const double gap = frames[i].seconds - frames[i - 1].seconds;
        times.push_back(times.back() + (gap > 0 && gap <= 4 * usual ? gap : usual));
    }
    times.push_back(times.back() + usual);
    return times;
}
