#include "tools/MeterOptions.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "tools/DisplayNumber.h"
#include "tools/TextFormat.h"

namespace kalvo5::meter {
namespace {

constexpr int kMaxBlockSize = 1 << 20;
constexpr int kMaxJobs = 1024;

bool ParseBlockSize(std::string_view text, int& value) {
  int v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < 1 || v > kMaxBlockSize) return false;
  value = v;
  return true;
}

}  // namespace

namespace {

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// The types a --check reads are measured: without --type, the one type it
// reads (EBU by default) or all; a --type that leaves one out is refused.
bool ChooseCheckedTypes(MeterOptions& options, std::string& error) {
  std::vector<std::string> needed = options.profile->Types();
  if (options.target && std::find(needed.begin(), needed.end(), "EBU") == needed.end())
    needed.push_back("EBU");
  if (SameText(options.type, "all")) return true;
  if (options.type.empty()) {
    options.type = needed.size() > 1                           ? "all"
                   : needed.empty() || needed.front() == "EBU" ? ""
                                                               : needed.front();
    return true;
  }
  for (const auto& type : needed) {
    if (!SameText(type, options.type)) {
      error = "--check reads the " + type + " type, which --type " + options.type +
              " does not measure (leave --type out, or use --type all)";
      return false;
    }
  }
  return true;
}

}  // namespace

std::string MeterUsage() {
  return "usage: kalvo5-meter [options] [audio files or folders...]\n"
         "\n"
         "Runs audio files through a VST 2 plug-in (Kalvo5.so unless --plugin says\n"
         "otherwise) as an offline render does, and prints the values the plug-in\n"
         "reports as automation while processing and when processing stops. Without\n"
         "--type, a plug-in with a \"Type\" parameter is measured with its EBU type.\n"
         "Without a file it measures a reference signal: 20 s of a stereo 1 kHz sine\n"
         "at -23 dBFS (-23.0 LUFS).\n"
         "\n"
         "  -p, --plugin PATH      the VST 2 plug-in (.so) to load\n"
         "  -t, --type TYPE        analyzer type: RMS, EBU or DIAL (parameter \"Type\";\n"
         "                         default EBU), or \"all\" for the three side by side\n"
         "  -s, --set NAME=TEXT    set a parameter by name to the value it displays as\n"
         "                         TEXT (e.g. --set \"RMS Window=300\"); repeatable\n"
         "  -P, --preset FILE      load a .vrs preset file before the other settings\n"
         "      --preset-name NAME select the plug-in's program NAME first\n"
         "      --list-presets     list the plug-in's programs and exit\n"
         "  -b, --block-size N     frames per process call (default 512)\n"
         "      --precision 32|64  sample precision (default: 64-bit when the plug-in can)\n"
         "  -j, --json             print JSON instead of a table\n"
         "  -c, --csv FILE         write a CSV timeline of the plug-in's output values,\n"
         "                         one row per 50 ms of audio (\"-\" for standard output)\n"
         "  -o, --output FILE      write the plug-in's audio output (side by side: the\n"
         "                         first instance's) to a .wav, .aiff, .flac or .ogg file\n"
         "      --snapshot FILE    draw the plug-in's editor with the measured values into\n"
         "                         a PNG file after the run (side by side: FILE with the\n"
         "                         type before the extension, e.g. FILE-EBU.png)\n"
         "      --scale S          the snapshot's scale, 0.5 to 3.0 (default 1.0)\n"
         "      --report FILE      draw a loudness report: per file, the momentary and\n"
         "                         short-term loudness over time, the integrated\n"
         "                         loudness, the loudness range, the true-peak maximum,\n"
         "                         the readings and the verdict of --check or --target;\n"
         "                         FILE.pdf has a page per file, FILE.png and FILE.svg\n"
         "                         an image per file (the second FILE-2.png, ...)\n"
         "      --summary          the library view: one row per file (for EBU: I, LRA,\n"
         "                         TP max, M max, S max), its duration and status; the\n"
         "                         table for several files unless --details\n"
         "      --summary-csv FILE the library view as CSV (\"-\" for standard output)\n"
         "      --details          every file's own report, also for several files\n"
         "      --target LUFS      the gain (in the plug-in's \"EBU Gain\" steps, by its own\n"
         "                         Match arithmetic) that brings each file's integrated\n"
         "                         loudness to LUFS, and the true peak it then has; with\n"
         "                         --output, the audio with that gain (no limiter)\n"
         "      --ceiling DBTP     the true-peak ceiling --target checks (default -1.0)\n"
         "      --check PROFILE    pass or fail each file against a delivery profile:\n"
         "                         ebu-r128, ebu-r128-live, atsc-a85, streaming-dialogue,\n"
         "                         streaming-music-14, streaming-music-16, or criteria\n"
         "                         such as \"I=-23+-0.5,TP<=-1,LRA<=15\" (readings I, LRA,\n"
         "                         TP, M, S, PLR, peak; DIAL:I for the dialogue type)\n"
         "      --total            also measure all files one after the other as one\n"
         "                         programme (an album), reported after the files\n"
         "  -a, --all              report every parameter, not only the output values\n"
         "  -l, --list             list the plug-in's parameters and their choices, and\n"
         "                         exit\n"
         "      --progress, --no-progress\n"
         "                         progress bar on standard error (default: when it is\n"
         "                         a terminal): one for all the files, with the files\n"
         "                         finished, the audio measured and the time left\n"
         "  -j N, --jobs N         measure N files at once, 1 to 1024 (default: one per\n"
         "                         core); the reports keep the order of the files\n"
         "  -r, --recursive        a folder stands for the audio files in it and in its\n"
         "                         subfolders, in name order\n"
         "  -                      standard input: a WAV file, or with --rate and\n"
         "                         --channels raw 32-bit float samples, interleaved\n"
         "      --rate HZ, --channels N\n"
         "                         the sample rate and channel count of raw input\n"
         "      --version          the meter's version\n"
         "  -h, --help             this text\n"
         "\n"
         "A short option's value may follow it directly (-tEBU, -j4), a long option's\n"
         "after \"=\" (--type=EBU).\n"
         "\n"
         "Exit status: 0 success, 2 bad command line, 3 plug-in not loadable or refusing\n"
         "a setting, 4 audio or preset file missing or unreadable, or an unsupported\n"
         "channel count or sample rate, 5 an output file could not be written, 6 measured\n"
         "but an input was damaged (ends before its header says, stops decoding, holds\n"
         "NaN or infinite samples, or is an Ogg or MP3 stream with damaged pages or\n"
         "frames; the readings cover what could be read). With several\n"
         "files, the meter goes on past files it cannot read, lists them with their\n"
         "errors at the end and exits with 4.\n";
}

bool ParseMeterOptions(int argc, const char* const* argv, MeterOptions& options, std::string& error) {
  bool onlyFiles = false;
  std::optional<double> ceiling;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg(argv[i]);
    if (onlyFiles || arg.empty() || arg[0] != '-' || arg == "-") {
      options.files.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      onlyFiles = true;
      continue;
    }
    // "--name=value" is the same as "--name value", and "-xVALUE" the same
    // as "-x VALUE".
    std::string_view name = arg, inlineValue;
    bool hasInline = false;
    if (arg.starts_with("--")) {
      if (const auto eq = arg.find('='); eq != std::string_view::npos) {
        name = arg.substr(0, eq);
        inlineValue = arg.substr(eq + 1);
        hasInline = true;
      }
    } else if (arg.size() > 2) {
      name = arg.substr(0, 2);
      inlineValue = arg.substr(2);
      hasInline = true;
    }
    auto value = [&](std::string& out) {
      if (hasInline) {
        out = inlineValue;
        return true;
      }
      if (i + 1 >= argc) {
        error = "option " + std::string(name) + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    // An empty value would silently mean the default ("-p ''" searching for
    // Kalvo5.so, "-t ''" measuring every type).
    auto nonEmpty = [&](std::string& out) {
      if (!value(out)) return false;
      if (!out.empty()) return true;
      error = "option " + std::string(name) + " needs a value, got an empty one";
      return false;
    };
    auto flag = [&] {
      if (!hasInline) return true;
      error = "option " + std::string(name) + " takes no value";
      return false;
    };

    std::string v;
    if (name == "-h" || name == "--help") {
      if (!flag()) return false;
      options.help = true;
    } else if (name == "-p" || name == "--plugin") {
      if (!nonEmpty(options.pluginPath)) return false;
    } else if (name == "-t" || name == "--type") {
      if (!nonEmpty(options.type)) return false;
    } else if (name == "-s" || name == "--set") {
      if (!value(v)) return false;
      const auto eq = v.find('=');
      if (eq == std::string::npos || eq == 0) {
        error = "--set needs NAME=TEXT, got \"" + v + "\"";
        return false;
      }
      options.settings.emplace_back(v.substr(0, eq), v.substr(eq + 1));
    } else if (name == "-P" || name == "--preset") {
      if (!nonEmpty(options.presetPath)) return false;
    } else if (name == "--preset-name") {
      if (!nonEmpty(options.programName)) return false;
    } else if (name == "--list-presets") {
      if (!flag()) return false;
      options.listPrograms = true;
    } else if (name == "-b" || name == "--block-size") {
      if (!value(v)) return false;
      if (!ParseBlockSize(v, options.blockSize)) {
        error = "block size must be a whole number from 1 to " + std::to_string(kMaxBlockSize) + ", got \"" +
                v + "\"";
        return false;
      }
    } else if (name == "--precision") {
      if (!value(v)) return false;
      if (v == "32") {
        options.precision = Precision::k32;
      } else if (v == "64") {
        options.precision = Precision::k64;
      } else {
        error = "precision must be 32 or 64, got \"" + v + "\"";
        return false;
      }
    } else if (name == "--jobs" ||
               (name == "-j" && (hasInline || AllDigits(i + 1 < argc ? argv[i + 1] : "")))) {
      // "-j" alone still means --json; followed by a number it is --jobs.
      if (!nonEmpty(v)) return false;
      if (!AllDigits(v) || v.size() > 4 || std::stoi(v) < 1 || std::stoi(v) > kMaxJobs) {
        error = "option " + std::string(name) + " needs a number of jobs from 1 to " +
                std::to_string(kMaxJobs) + ", got " + v;
        return false;
      }
      options.jobs = std::stoi(v);
    } else if (name == "-j" || name == "--json") {
      if (!flag()) return false;
      options.format = OutputFormat::kJson;
    } else if (name == "-r" || name == "--recursive") {
      if (!flag()) return false;
      options.recursive = true;
    } else if (name == "--version") {
      if (!flag()) return false;
      options.version = true;
    } else if (name == "--rate" || name == "--channels") {
      if (!nonEmpty(v)) return false;
      const int limit = name == "--rate" ? 768000 : 6;
      if (!AllDigits(v) || v.size() > 6 || std::stoi(v) < 1 || std::stoi(v) > limit) {
        error = "option " + std::string(name) + " needs a number from 1 to " + std::to_string(limit) +
                ", got " + v;
        return false;
      }
      (name == "--rate" ? options.rawRate : options.rawChannels) = std::stoi(v);
    } else if (name == "-c" || name == "--csv") {
      if (!nonEmpty(options.timelinePath)) return false;
    } else if (name == "--summary-csv") {
      if (!nonEmpty(options.summaryCsvPath)) return false;
    } else if (name == "--summary") {
      if (!flag()) return false;
      options.summary = true;
    } else if (name == "--details") {
      if (!flag()) return false;
      options.details = true;
    } else if (name == "-o" || name == "--output") {
      if (!nonEmpty(options.audioOutputPath)) return false;
    } else if (name == "--snapshot") {
      if (!nonEmpty(options.snapshotPath)) return false;
    } else if (name == "--report") {
      if (!nonEmpty(options.reportPath)) return false;
    } else if (name == "--scale") {
      if (!value(v)) return false;
      char* end = nullptr;
      const double scale = std::strtod(v.c_str(), &end);
      if (v.empty() || *end != '\0' || !(scale >= 0.5 && scale <= 3.0)) {
        error = "--scale needs a number from 0.5 to 3.0, got \"" + v + "\"";
        return false;
      }
      options.snapshotScale = scale;
    } else if (name == "--target" || name == "--ceiling") {
      double level = 0.0;
      if (!value(v)) return false;
      if (!DisplayedNumber(v, level)) {
        error = "option " + std::string(name) + " needs a level in " +
                (name == "--target" ? "LUFS" : "dBTP") + ", got \"" + v + "\"";
        return false;
      }
      (name == "--target" ? options.target : ceiling) = level;
    } else if (name == "--check") {
      if (!value(v)) return false;
      DeliveryProfile profile;
      if (!ParseDeliveryProfile(v, profile, error)) return false;
      options.profile = profile;
    } else if (name == "--total") {
      if (!flag()) return false;
      options.total = true;
    } else if (name == "-a" || name == "--all") {
      if (!flag()) return false;
      options.allParameters = true;
    } else if (name == "-l" || name == "--list") {
      if (!flag()) return false;
      options.listParameters = true;
    } else if (name == "--progress") {
      if (!flag()) return false;
      options.progress = ProgressMode::kOn;
    } else if (name == "--no-progress") {
      if (!flag()) return false;
      options.progress = ProgressMode::kOff;
    } else {
      error = "unknown option " + std::string(arg);
      return false;
    }
  }
  if (ceiling && !options.target) {
    error = "--ceiling goes with --target";
    return false;
  }
  options.ceiling = ceiling.value_or(options.ceiling);
  if (options.target && !options.type.empty() && !SameText(options.type, "EBU") &&
      !SameText(options.type, "all")) {
    error = "--target matches the EBU integrated loudness; use it with --type EBU or all";
    return false;
  }
  if (options.target && !options.audioOutputPath.empty() &&
      std::find(options.files.begin(), options.files.end(), "-") != options.files.end()) {
    error = "--target with --output reads the audio twice, which standard input cannot give";
    return false;
  }
  if (options.profile && !ChooseCheckedTypes(options, error)) return false;
  if ((options.rawRate > 0) != (options.rawChannels > 0)) {
    error = "raw input needs both --rate and --channels";
    return false;
  }
  if (options.total && options.files.empty()) {
    error = "--total needs audio files";
    return false;
  }
  const int toStandardOutput = (options.timelinePath == "-") + (options.summaryCsvPath == "-") +
                               (options.format == OutputFormat::kJson);
  if (toStandardOutput > 1) {
    error = "only one of --csv -, --summary-csv - and --json can write to standard output";
    return false;
  }
  return true;
}

}  // namespace kalvo5::meter
