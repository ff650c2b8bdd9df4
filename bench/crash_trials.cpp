// Crash trials of the profile engine's file replacement. A catalogue of disc
// records is written once; then, trial after trial, a child process keeps
// rewriting random records (every value of a record carries one generation
// number) and is killed with SIGKILL at a random moment. After each kill the
// file must read whole: every record present, in order, and each wholly of
// one generation. Meanwhile a reader process loads the file again and again:
// no read may see less than a whole catalogue. The next save removes what a
// killed writer left behind: after the last trial and one more save, no
// temporary file may remain, while a user's file named like one and another
// machine's temporary file must be left as they were. The trials run twice:
// replacing the file in one step, and the way Windows 95, 98 and ME must
// (the old file moved aside first, and kept until the next save); there some
// kills must land between the two moves, while the file is missing and only
// its copy is whole, so every fourth kill is aimed there.
//
// Then two writers stand for two computers sharing the folder: ALPHA
// replaces the file in one step (as Windows NT and XP do), BETA as Windows
// 95 must, each under its own machine name, each saving its own discs
// (ALPHA the even records, BETA the odd) again and again into the one file,
// under the file's lock, while each in turn is killed at a random moment and
// started again. After each kill the killed writer's discs must be there
// with the content of their last finished save (or of the save the kill cut
// short): a save never loses the other writer's discs. No save may fail: a
// killed lock holder never keeps the other waiting past the lock's wait.
// After the last kill each machine saves once more: no temporary file may
// remain, only the lock file, which is there for good. Prints the counts
// and exits non-zero on any fault.
//
//   crash_trials [trials [records [seed]]]
#include "common/profile/profile.h"
#include "common/profile/profile_posix.h"

#include <dirent.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

struct Record {
  std::vector<std::string> keys;
  std::vector<std::string> values;
};

std::string SectionName(int record) {
  char name[16];
  snprintf(name, sizeof name, "%08X", 0x2A000000u + static_cast<unsigned>(record) * 7919u);
  return name;
}

int TrackCount(int record) { return 8 + record % 12; }

void Add(Record* r, const std::string& key, const std::string& value) {
  r->keys.push_back(key);
  r->values.push_back(value);
}

// A disc record whose every value carries the generation gen.
Record MakeRecord(int record, unsigned gen) {
  Record r;
  std::string g = std::to_string(gen);
  Add(&r, "DiscTitle", "Title of disc " + std::to_string(record) + " #" + g);
  Add(&r, "DiscArtist", "Artist #" + g);
  Add(&r, "Repeat", g);
  Add(&r, "Shuffle", g);
  std::string order;
  for (int t = 1; t <= TrackCount(record); ++t) {
    Add(&r, "Track" + std::to_string(t), "Song number " + std::to_string(t) + " #" + g);
    order += std::to_string(t) + " ";
  }
  Add(&r, "PlayList", order + "#" + g);
  return r;
}

int WriteRecord(std::string* text, int record, unsigned gen) {
  Record r = MakeRecord(record, gen);
  std::vector<ProfileEntry> entries;
  for (size_t i = 0; i < r.keys.size(); ++i) entries.push_back(ProfileEntry{r.keys[i].c_str(), r.values[i].c_str()});
  return ProfileWriteSection(text, SectionName(record).c_str(), entries.data(), entries.size());
}

// The generation a value carries: the number after its last "#", or the
// whole value.
long Generation(const std::string& value) {
  size_t hash = value.rfind('#');
  std::string digits = hash == std::string::npos ? value : value.substr(hash + 1);
  char* end = nullptr;
  long gen = strtol(digits.c_str(), &end, 10);
  return digits.empty() || *end ? -1 : gen;
}

// The generation of a record in a section: -1 when the section is missing;
// problem says what is wrong with a record that has keys missing or mixes
// generations.
long RecordGeneration(const ProfileSection& section, int record, std::string* problem) {
  if (!section.found) return -1;
  Record want = MakeRecord(record, 0);
  long gen = -2;
  for (const std::string& key : want.keys) {
    char value[512];
    ProfileSectionGetString(&section, key.c_str(), "", value, sizeof value);
    long g = Generation(value);
    if (g < 0) *problem = "record " + std::to_string(record) + " key " + key + " bad: " + value;
    if (g >= 0 && gen != -2 && g != gen) *problem = "record " + std::to_string(record) + " mixes generations";
    if (!problem->empty()) return -2;
    gen = g;
  }
  return gen;
}

// Checks the file: every record in order, each with all its keys, all of one
// generation. Returns an empty string or what is wrong.
std::string CheckCatalogue(const std::string& path, int records) {
  ProfileFile file = {};
  if (!ProfileReadFile(path.c_str(), &file)) return "cannot be read";
  const std::string& text = file.text;
  if (text.empty()) return "missing";
  size_t at = 0;
  for (int record = 0; record < records; ++record) {
    size_t next = text.find("\r\n[", at);
    next = next == std::string::npos ? text.size() : next + 2;
    std::string chunk = text.substr(at, next - at);
    at = next;
    ProfileSection section = ProfileFindSection(chunk, SectionName(record).c_str());
    if (!section.found) return "record " + std::to_string(record) + " missing";
    std::string problem;
    RecordGeneration(section, record, &problem);
    if (!problem.empty()) return problem;
  }
  if (at != text.size()) return "text after the last record";
  return "";
}

// The child: rewrites random records of the file until it is killed. It
// tells the parent through ready once it has read the file, so that the
// kill falls among its saves whatever the machine's speed.
[[noreturn]] void Rewrite(const std::string& path, int records, unsigned seed, unsigned gen, int ready) {
  ProfileFile file = {};
  if (!ProfileReadFile(path.c_str(), &file)) _exit(2);
  if (write(ready, "r", 1) != 1) _exit(4);
  std::mt19937 random(seed);
  for (;;) {
    WriteRecord(&file.text, static_cast<int>(random() % static_cast<unsigned>(records)), ++gen);
    if (ProfileSaveFile(path.c_str(), &file) != kProfileOk) _exit(3);
  }
}

// What a reader process saw: its reads, and those that could not be read or
// held fewer sections than every complete save holds.
struct Reads {
  long count;
  long bad;
  long fewest;  // sections in the smallest bad read
};

// The reader: loads the file until it is killed, as fast as a reader may.
[[noreturn]] void Read(const std::string& path, int records, Reads* reads) {
  for (;;) {
    ProfileFile file = {};
    long sections = -1;
    if (ProfileReadFile(path.c_str(), &file)) {
      const std::string& text = file.text;
      sections = !text.empty() && text[0] == '[';
      for (size_t at = text.find("\n["); at != std::string::npos; at = text.find("\n[", at + 1)) ++sections;
    }
    if (sections < records && (reads->bad++ == 0 || sections < reads->fewest)) reads->fewest = sections;
    ++reads->count;
  }
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// The file's inode, or 0 when it is missing: a rename moves the inode.
ino_t Inode(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// Files that are not the engine's own but are named like its temporary
// files: a user's, and one of a writer on another machine sharing the
// folder. Every save must leave them alone.
const char* const kForeign[] = {"tunedeck.ini.2024-1.tmp", "tunedeck.ini.OTHER-MACHINE-99999999-0.tmp"};

// The temporary files beside the catalogue, and any other file that is
// neither the catalogue, its copy, its lock file nor a foreign file.
int Leftovers(const std::string& folder) {
  int count = 0;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* e = readdir(dir)) {
      std::string name = e->d_name;
      bool known = name == "." || name == ".." || name == "tunedeck.ini" || name == "tunedeck.ini.replacing" ||
                   name == "tunedeck.ini.lock";
      for (const char* foreign : kForeign) known = known || name == foreign;
      count += !known;
    }
    closedir(dir);
  }
  return count;
}

// One run of trials; returns the number of faults.
int RunTrials(const std::string& folder, int trials, int records, std::mt19937* random) {
  const std::string path = folder + "/tunedeck.ini", kept = path + ".replacing";
  int bad = 0, midWrite = 0, betweenMoves = 0, childFailed = 0;
  auto* reads = static_cast<Reads*>(mmap(nullptr, sizeof(Reads), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  if (reads == MAP_FAILED) {
    perror("mmap");
    return 1;
  }
  fflush(stdout);
  pid_t reader = fork();
  if (reader < 0) {
    perror("fork");
    return 1;
  }
  if (reader == 0) Read(path, records, reads);
  for (int trial = 0; trial < trials; ++trial) {
    fflush(stdout);
    int ready[2];
    if (pipe(ready) != 0) {
      perror("pipe");
      return 1;
    }
    ino_t copyBefore = Inode(kept);
    pid_t child = fork();
    if (child < 0) {
      perror("fork");
      return 1;
    }
    if (child == 0) Rewrite(path, records, (*random)(), static_cast<unsigned>(trial + 1) * 1000000u, ready[1]);
    // Every fourth kill on the Windows 95 path is aimed between the two
    // moves: as soon as the file is seen missing (within half a second).
    bool aimed = !profileReplaceInOneStep && trial % 4 == 3;
    char byte;
    if (read(ready[0], &byte, 1) == 1 && !aimed) usleep((*random)() % 30000);
    auto start = std::chrono::steady_clock::now();
    while (aimed && Exists(path) && std::chrono::steady_clock::now() - start < std::chrono::milliseconds(500)) {
    }
    close(ready[0]);
    close(ready[1]);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFSIGNALED(status)) ++childFailed;
    midWrite += Leftovers(folder) > 0;
    // The file missing and a new copy: this writer moved the file aside.
    betweenMoves += !Exists(path) && Inode(kept) != 0 && Inode(kept) != copyBefore;
    std::string problem = CheckCatalogue(path, records);
    if (!problem.empty()) {
      ++bad;
      printf("trial %d: %s\n", trial, problem.c_str());
    }
  }
  kill(reader, SIGKILL);
  waitpid(reader, nullptr, 0);
  // The save after the last kill cleans up after it. A copy kept by the
  // last replacement as Windows 95 makes it must be a whole catalogue.
  ProfileFile file = {};
  if (!ProfileReadFile(path.c_str(), &file) || ProfileSaveFile(path.c_str(), &file) != kProfileOk) ++bad;
  std::string copy = Exists(kept) ? CheckCatalogue(kept, records) : "";
  if (!copy.empty()) printf("the kept copy: %s\n", copy.c_str());
  int left = Leftovers(folder) + !copy.empty() + (profileReplaceInOneStep && Exists(kept));
  for (const char* foreign : kForeign) left += !Exists(folder + "/" + foreign);
  bool oneStep = profileReplaceInOneStep;
  printf("%s: %d trials, %d killed while writing, %d between the two moves, %d children failed, %d bad files, "
         "%d files left over or lost; reader: %ld reads, %ld with fewer sections (fewest %ld)\n",
         oneStep ? "replacing in one step" : "replacing as Windows 95 must", trials, midWrite, betweenMoves,
         childFailed, bad, left, reads->count, reads->bad, reads->bad ? reads->fewest : static_cast<long>(records));
  int faults = bad + childFailed + left + (reads->bad > 0) + (reads->count == 0) + (!oneStep && betweenMoves == 0);
  munmap(reads, sizeof(Reads));
  return faults;
}

// What the two writers share with the parent: for each record, the
// generation the last save of it began with and the one its last finished
// save wrote; for each writer its saves, failed saves and longest save.
const int kSharedRecords = 200;
struct Shared {
  unsigned begun[kSharedRecords];
  unsigned finished[kSharedRecords];
  long saves[2];
  long failures[2];
  double longestMs[2];
};
const char* const kMachines[] = {"ALPHA", "BETA"};

struct OwnSave {
  int record;
  unsigned gen;
};

int WriteOwnRecord(std::string* text, void* context) {
  const OwnSave* save = static_cast<const OwnSave*>(context);
  return WriteRecord(text, save->record, save->gen);
}

// A writer of one machine: saves its own records until it is killed.
[[noreturn]] void WriteOwn(const std::string& path, int writer, unsigned seed, unsigned gen, Shared* shared,
                           int ready) {
  profileMachineName = kMachines[writer];
  profileReplaceInOneStep = writer == 0;
  if (write(ready, "r", 1) != 1) _exit(4);
  std::mt19937 random(seed);
  for (;;) {
    // A player saves now and then, not all the time: the other machine's
    // writer gets its turn at the lock.
    usleep(random() % 10000);
    OwnSave save = {writer + 2 * static_cast<int>(random() % (kSharedRecords / 2)), ++gen};
    __atomic_store_n(&shared->begun[save.record], save.gen, __ATOMIC_SEQ_CST);
    auto start = std::chrono::steady_clock::now();
    int status = ProfileUpdateFile(path.c_str(), 1, WriteOwnRecord, &save);
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (ms > shared->longestMs[writer]) shared->longestMs[writer] = ms;
    if (status != kProfileOk) {
      ++shared->failures[writer];
      continue;
    }
    __atomic_store_n(&shared->finished[save.record], save.gen, __ATOMIC_SEQ_CST);
    ++shared->saves[writer];
  }
}

// Checks the records of one writer (or both: writer -1) against what they
// saved: a record never saved is missing, a record saved is there with the
// generation of its last finished save or of a later one that was begun.
// Returns an empty string or what is wrong.
std::string CheckOwnRecords(const std::string& path, int writer, const Shared* shared) {
  ProfileFile file = {};
  if (!ProfileReadFile(path.c_str(), &file)) return "cannot be read";
  for (int record = writer < 0 ? 0 : writer; record < kSharedRecords; record += writer < 0 ? 1 : 2) {
    std::string problem;
    long gen = RecordGeneration(ProfileFindSection(file.text, SectionName(record).c_str()), record, &problem);
    if (!problem.empty()) return problem;
    unsigned begun = shared->begun[record], finished = shared->finished[record];
    bool expected = gen < 0 ? finished == 0 : gen >= static_cast<long>(finished) && gen <= static_cast<long>(begun);
    if (!expected)
      return "record " + std::to_string(record) + " has generation " + std::to_string(gen) + ", last saved " +
             std::to_string(finished) + ", last begun " + std::to_string(begun);
  }
  return "";
}

// The two writers' trials; returns the number of faults.
int RunTwoWriters(const std::string& folder, int trials, std::mt19937* random) {
  const std::string path = folder + "/tunedeck.ini";
  auto* shared = static_cast<Shared*>(mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  if (shared == MAP_FAILED) {
    perror("mmap");
    return 1;
  }
  unlink(path.c_str());
  unlink((path + ".replacing").c_str());
  pid_t writers[2] = {0, 0};
  unsigned starts = 0;
  auto start = [&](int writer) {
    int ready[2];
    if (pipe(ready) != 0) return false;
    fflush(stdout);
    ++starts;
    writers[writer] = fork();
    if (writers[writer] == 0) WriteOwn(path, writer, (*random)(), starts * 1000000u, shared, ready[1]);
    char byte;
    bool started = writers[writer] > 0 && read(ready[0], &byte, 1) == 1;
    close(ready[0]);
    close(ready[1]);
    return started;
  };
  int bad = 0, childFailed = 0;
  if (!start(0) || !start(1)) {
    perror("fork");
    return 1;
  }
  for (int trial = 0; trial < trials; ++trial) {
    for (int writer = 0; writer < 2; ++writer) {
      usleep((*random)() % 30000);
      kill(writers[writer], SIGKILL);
      int status = 0;
      waitpid(writers[writer], &status, 0);
      if (!WIFSIGNALED(status)) ++childFailed;
      std::string problem = CheckOwnRecords(path, writer, shared);
      if (!problem.empty()) {
        ++bad;
        printf("trial %d, %s killed: %s\n", trial, kMachines[writer], problem.c_str());
      }
      if (!start(writer)) {
        perror("fork");
        return 1;
      }
    }
  }
  for (pid_t writer : writers) {
    kill(writer, SIGKILL);
    waitpid(writer, nullptr, 0);
  }
  std::string problem = CheckOwnRecords(path, -1, shared);
  if (!problem.empty()) {
    ++bad;
    printf("at the end: %s\n", problem.c_str());
  }
  // Each machine's next save cleans up after its killed writers.
  int cleanUp = 0;
  for (int writer = 0; writer < 2; ++writer) {
    profileMachineName = kMachines[writer];
    OwnSave save = {writer, shared->begun[writer] + 1};
    cleanUp += ProfileUpdateFile(path.c_str(), 1, WriteOwnRecord, &save) != kProfileOk;
  }
  profileMachineName = nullptr;
  int left = Leftovers(folder) + cleanUp;
  for (const char* foreign : kForeign) left += !Exists(folder + "/" + foreign);
  int discs = 0;
  for (int record = 0; record < kSharedRecords; ++record) discs += shared->finished[record] != 0;
  printf("two writers, ALPHA in one step and BETA as Windows 95 must: %d kills each, %d of %d discs saved, "
         "saves %ld and %ld, %ld failed, longest save %.0f ms and %.0f ms (the lock's wait: %lu ms), "
         "%d children failed, %d bad files, %d files left over or lost\n",
         trials, discs, kSharedRecords, shared->saves[0], shared->saves[1], shared->failures[0] + shared->failures[1],
         shared->longestMs[0], shared->longestMs[1], kProfileLockWait, childFailed, bad, left);
  int faults = bad + childFailed + left + (shared->failures[0] + shared->failures[1] > 0) +
               (shared->saves[0] == 0) + (shared->saves[1] == 0);
  munmap(shared, sizeof(Shared));
  return faults;
}

}  // namespace

int main(int argc, char** argv) {
  int trials = argc > 1 ? atoi(argv[1]) : 1000;
  int records = argc > 2 ? atoi(argv[2]) : 3000;
  unsigned seed = argc > 3 ? static_cast<unsigned>(atoi(argv[3])) : 20240601u;
  const std::string folder = "build/crash-trials/files";
  mkdir("build/crash-trials", 0755);
  mkdir(folder.c_str(), 0755);
  const std::string path = folder + "/tunedeck.ini";
  // A fresh folder, but for the foreign files.
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* e = readdir(dir))
      if (e->d_name[0] != '.') unlink((folder + "/" + e->d_name).c_str());
    closedir(dir);
  }
  for (const char* foreign : kForeign) {
    FILE* f = fopen((folder + "/" + foreign).c_str(), "wb");
    if (!f || fputs("not the engine's\n", f) < 0 || fclose(f) != 0) {
      fprintf(stderr, "crash_trials: cannot write %s\n", foreign);
      return 2;
    }
  }

  ProfileFile file = {};
  for (int record = 0; record < records; ++record) WriteRecord(&file.text, record, 0);
  // The cost of one record's save on this catalogue: one pass and one copy.
  auto start = std::chrono::steady_clock::now();
  std::string text = file.text;
  for (int i = 0; i < 100; ++i) WriteRecord(&text, (i * 37) % records, 1);
  double writeMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / 100;
  printf("catalogue: %d records, %zu bytes; ProfileWriteSection of one record: %.2f ms\n", records, file.text.size(),
         writeMs);

  std::mt19937 random(seed);
  int failures = 0;
  for (int oneStep = 1; oneStep >= 0; --oneStep) {
    profileReplaceInOneStep = oneStep;
    if (ProfileSaveFile(path.c_str(), &file) != kProfileOk) {
      fprintf(stderr, "crash_trials: cannot write %s\n", path.c_str());
      return 2;
    }
    failures += RunTrials(folder, trials, records, &random);
  }
  profileReplaceInOneStep = 1;
  failures += RunTwoWriters(folder, trials, &random);
  return failures ? 1 : 0;
}
