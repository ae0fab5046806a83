// A stand-in for the external decoder, built for the tests. It honours the
// decoder's protocol as the bridge relies on it: it reads EcoDecoTooL.ini
// beside itself and, when that asks for WAV output into a folder D, writes
// D/<input's base name>.wav. Its "decoding" copies the input, which the tests
// make a WAV file under another name. It also notes its arguments in
// D/arguments.txt, one per line. Input starting with "HANG" makes it wait
// until it is killed; input starting with "FAIL" makes it write nothing.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

struct Config {
  bool wav = false, toFolder = false;
  std::string folder;
};

Config ReadConfig(const fs::path& path) {
  Config c;
  std::ifstream in(path);
  std::string line, section;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind('[', 0) == 0) {
      section = line;
    } else if (section == "[Radio]" && line == "wav=1") {
      c.wav = true;
    } else if (section == "[Radio]" && line == "outfolder=1") {
      c.toFolder = true;
    } else if (section == "[Edit]" && line.rfind("outfolder=", 0) == 0) {
      c.folder = line.substr(10);
    }
  }
  return c;
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path self = fs::absolute(argv[0]);
  const Config config = ReadConfig(self.parent_path() / (self.stem().string() + ".ini"));
  if (!config.wav || !config.toFolder || config.folder.empty()) return 3;
  {
    std::ofstream notes(fs::path(config.folder) / "arguments.txt");
    for (int i = 1; i < argc; ++i) notes << argv[i] << '\n';
  }
  if (argc != 2) return 2;
  std::ifstream in(argv[1], std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (bytes.rfind("HANG", 0) == 0) {
    while (true) std::this_thread::sleep_for(std::chrono::seconds(1));
  }
  if (!in || bytes.rfind("FAIL", 0) == 0) return 1;
  const fs::path output = fs::path(config.folder) / (fs::path(argv[1]).stem().string() + ".wav");
  std::ofstream(output, std::ios::binary) << bytes;
  return 0;
}
