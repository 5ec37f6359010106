#!/usr/bin/python3
"""Files around the Ardour session of the host test (standard library only).

  signal OUT.wav RATE LEVEL_DBFS:SECONDS...   stereo 32-bit float 1 kHz sine, one level per part
  place SESSION_DIR NAME IN.wav               IN.wav becomes the one region of track "T" at 0,
                                              and the session range is its length
  same IN.wav OUT.wav...                      exit 1 unless the OUT files (one per channel or
                                              interleaved) hold IN's samples, to float rounding
"""
import math
import os
import shutil
import struct
import sys
import xml.etree.ElementTree as ET

# Ardour 7 keeps audio time in superclock ticks.
SUPERCLOCK_RATE = 282240000
FLOAT_TOLERANCE = 1e-6


def write_float_wav(path, rate, frames):
    """frames: list of per-frame tuples, one value per channel."""
    channels = len(frames[0])
    data = struct.pack("<%df" % (len(frames) * channels), *(v for f in frames for v in f))
    fmt = struct.pack("<HHIIHH", 3, channels, rate, rate * channels * 4, channels * 4, 32)
    body = b"WAVEfmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


def read_float_wav(path):
    """(rate, channels as lists). Float samples only: what Ardour writes and what signal makes."""
    with open(path, "rb") as f:
        raw = f.read()
    if raw[:4] not in (b"RIFF", b"RF64") or raw[8:12] != b"WAVE":
        raise ValueError("%s is not a WAV file" % path)
    pos, fmt, data = 12, None, None
    while pos + 8 <= len(raw):
        kind, size = raw[pos:pos + 4], struct.unpack("<I", raw[pos + 4:pos + 8])[0]
        if kind == b"fmt ":
            fmt = raw[pos + 8:pos + 8 + size]
        elif kind == b"data":
            data = raw[pos + 8:pos + 8 + size]
        pos += 8 + size + (size & 1)
    if fmt is None or data is None:
        raise ValueError("%s has no fmt or data chunk" % path)
    tag, channels, rate, _, _, bits = struct.unpack("<HHIIHH", fmt[:16])
    if tag == 0xFFFE:
        tag = struct.unpack("<H", fmt[24:26])[0]
    if tag != 3 or bits not in (32, 64):
        raise ValueError("%s: not float samples (format %d, %d bits)" % (path, tag, bits))
    count = len(data) // (bits // 8)
    values = struct.unpack("<%d%s" % (count, "f" if bits == 32 else "d"), data[:count * bits // 8])
    return rate, [list(values[c::channels]) for c in range(channels)]


def make_signal(path, rate, parts):
    frames, n = [], 0
    for level_db, seconds in parts:
        amplitude = 10.0 ** (level_db / 20.0)
        for _ in range(int(round(seconds * rate))):
            v = amplitude * math.sin(2.0 * math.pi * 1000.0 * n / rate)
            frames.append((v, v))
            n += 1
    write_float_wav(path, rate, frames)


def place_region(session_dir, name, wav):
    """Adds wav to the session as an imported source and puts it on track T's playlist."""
    rate, channels = read_float_wav(wav)
    length = len(channels[0])
    path = os.path.join(session_dir, name + ".ardour")
    tree = ET.parse(path)
    root = tree.getroot()
    if int(root.get("sample-rate")) != rate:
        raise ValueError("the session does not run at %d Hz" % rate)
    ids = [int(e.get("id")) for e in root.iter() if (e.get("id") or "").isdigit()]
    next_id = [max(ids + [int(root.get("id-counter", "0"))])]

    def new_id():
        next_id[0] += 1
        return str(next_id[0])

    track = [r for r in root.find("Routes") if r.get("name") == "T"]
    if len(track) != 1:
        raise ValueError("the session has no track T")
    playlist = [p for p in root.find("Playlists") if p.get("id") == track[0].get("audio-playlist")]
    if len(playlist) != 1:
        raise ValueError("track T has no playlist")

    # Ardour looks for imported files in interchange/<session folder name>/audiofiles.
    folder = os.path.join(session_dir, "interchange", os.path.basename(os.path.normpath(session_dir)),
                          "audiofiles")
    base = os.path.basename(wav)
    shutil.copyfile(wav, os.path.join(folder, base))
    sources = []
    for c in range(len(channels)):
        sources.append(new_id())
        ET.SubElement(root.find("Sources"), "Source", {
            "name": base, "type": "audio", "flags": "", "id": sources[-1], "captured-for": "",
            "channel": str(c), "origin": os.path.abspath(wav), "gain": "1"})
    end = "a%d" % (length * SUPERCLOCK_RATE // rate)
    region = {"start": "a0", "length": end + "@a0", "sync-position": "a0", "ancestral-start": "a0",
              "ancestral-length": "a0@a0", "type": "audio", "channels": str(len(channels)), "import": "1",
              "muted": "0", "opaque": "1", "locked": "0", "hidden": "0", "stretch": "1", "shift": "1",
              "scale-amplitude": "1", "envelope-active": "0", "fade-in-active": "0", "fade-out-active": "0",
              "default-fade-in": "0", "default-fade-out": "0", "layering-index": "0"}
    for c, sid in enumerate(sources):
        region["source-%d" % c] = region["master-source-%d" % c] = sid
    stem = os.path.splitext(base)[0]
    ET.SubElement(root.find("Regions"), "Region", dict(region, name=stem, id=new_id(), **{"whole-file": "1"}))
    ET.SubElement(playlist[0], "Region", dict(region, name=stem + ".1", id=new_id(), position="a0",
                                              **{"whole-file": "0"}))
    locations = root.find("Locations")
    for loc in [l for l in locations if "IsSessionRange" in l.get("flags", "")]:
        locations.remove(loc)
    ET.SubElement(locations, "Location", {"id": new_id(), "name": "session", "start": "a0", "end": end,
                                          "flags": "IsSessionRange", "locked": "0", "timestamp": "0"})
    root.set("id-counter", str(next_id[0]))
    tree.write(path, xml_declaration=True, encoding="UTF-8")


def same_audio(inp, outs):
    _, expected = read_float_wav(inp)
    got = []
    for path in outs:
        got += read_float_wav(path)[1]
    if len(got) < len(expected):
        print("rendered %d channel(s), the input has %d" % (len(got), len(expected)))
        return False
    worst = 0.0
    for c, want in enumerate(expected):
        if len(got[c]) != len(want):
            print("channel %d: rendered %d frames, the input has %d" % (c, len(got[c]), len(want)))
            return False
        worst = max(worst, max(abs(a - b) for a, b in zip(got[c], want)))
    print("rendered %d channel(s) x %d frames; the %d input channel(s) differ from the input by at most %.3g"
          % (len(got), len(expected[0]), len(expected), worst))
    return worst <= FLOAT_TOLERANCE


def main(argv):
    if len(argv) >= 4 and argv[0] == "signal":
        make_signal(argv[1], int(argv[2]), [tuple(float(x) for x in p.split(":")) for p in argv[3:]])
        return 0
    if len(argv) == 4 and argv[0] == "place":
        place_region(argv[1], argv[2], argv[3])
        return 0
    if len(argv) >= 3 and argv[0] == "same":
        return 0 if same_audio(argv[1], argv[2:]) else 1
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
