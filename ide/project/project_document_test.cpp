#include "ide/project/project_document.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ide/project/description_file.h"
#include "ide/project/project_creation.h"

namespace lumora::ide {
namespace {

namespace fs = std::filesystem;
constexpr auto W = platform::PathStyle::Windows;
constexpr auto P = platform::PathStyle::Posix;

std::string slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void spit(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

class ProjectDocument : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kdoc_test_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string dir_;
};

TEST(DescriptionFile, LinesAndRelativeFolder) {
    ProjectRecord r;
    r.name = "demo";
    r.description = "my game";
    r.output_folder = "bin";
    EXPECT_EQ(description_file_text(r, "C:\\work\\demo", W),
              "name: demo\r\ninfo: my game\r\nmode: 7\r\nsource: bin\\demo.bin\r\noutput: bin\\demo.fx\r\n");
    r.output_folder = "";
    r.linked_resource = "pic.fr";
    EXPECT_EQ(description_file_text(r, "/home/u/demo", P),
              "name: demo\r\ninfo: my game\r\nmode: 7\r\nsource: demo.bin\r\noutput: demo.fx\r\nresource: "
              "pic.fr\r\n");
    r.output_folder = "out/sub/";
    EXPECT_EQ(description_rel_folder(r, "/home/u/demo", P), "out/sub/");
    EXPECT_EQ(description_file_path(r, "C:\\work\\demo", W), "C:\\work\\demo\\demo.cf");
}

TEST_F(ProjectDocument, NewProjectFolderChecks) {
    EXPECT_EQ(resulting_project_folder("C:\\", "demo", W), "C:\\demo");
    EXPECT_EQ(resulting_project_folder("C:\\work", "demo", W), "C:\\work\\demo");
    EXPECT_EQ(resulting_project_folder("", "demo", W), "demo");

    const std::string folder = dir_ + "/a/b/demo";
    EXPECT_EQ(check_new_project_folder(folder, "demo", P), NewProjectCheck::FolderMissing);
    ASSERT_TRUE(create_folder_tree(folder));
    EXPECT_EQ(check_new_project_folder(folder, "demo", P), NewProjectCheck::Ok);
    spit(folder + "/demo.lmp", "x");
    EXPECT_EQ(check_new_project_folder(folder, "demo", P), NewProjectCheck::ProjectExists);
    spit(dir_ + "/plain", "x");
    EXPECT_EQ(check_new_project_folder(dir_ + "/plain", "demo", P), NewProjectCheck::FileInTheWay);
    EXPECT_FALSE(create_folder_tree(dir_ + "/plain/sub"));
}

TEST_F(ProjectDocument, NewProjectDialogOk) {
    std::vector<std::string> said;
    bool create = false;
    NewProjectPrompts prompts;
    prompts.warn = [&](const std::string& m) { said.push_back(m); };
    prompts.ask_create = [&](const std::string& q) { return said.push_back(q), create; };
    const std::string folder = dir_ + "/x/demo";
    EXPECT_FALSE(accept_new_project_folder(folder, "demo", prompts, P));  // No keeps the dialog open
    EXPECT_FALSE(fs::exists(folder));
    create = true;
    EXPECT_TRUE(accept_new_project_folder(folder, "demo", prompts, P));
    EXPECT_TRUE(fs::is_directory(folder));
    spit(folder + "/demo.lmp", "");
    EXPECT_FALSE(accept_new_project_folder(folder, "demo", prompts, P));
    spit(dir_ + "/file", "");
    EXPECT_FALSE(accept_new_project_folder(dir_ + "/file", "demo", prompts, P));
    EXPECT_EQ(said, (std::vector<std::string>{kMsgCreateFolder, kMsgCreateFolder, kMsgProjectExists,
                                              kMsgFileHasFolderName}));
    EXPECT_EQ(std::string(kMsgCreateFolder), "フォルダが見つかりません。作成しますか？");
}

TEST_F(ProjectDocument, RelativePathsAreTakenAgainstTheCurrentFolder) {
    const fs::path before = fs::current_path();
    ASSERT_TRUE(create_folder_tree(dir_ + "/rel"));
    fs::current_path(dir_);
    CreateProjectResult made = create_project("rel", "demo", nullptr, P);
    ProjectFileError err;
    auto opened = CKelvaneDoc::open("rel/demo.lmp", &err, P);
    fs::current_path(before);
    ASSERT_TRUE(made.doc);
    ASSERT_TRUE(opened);
    const std::string real = fs::canonical(dir_).string();
    EXPECT_EQ(opened->path(), real + "/rel/demo.lmp");
    EXPECT_EQ(opened->record().sources.at(0).path, real + "/rel/demo.c");
}

TEST_F(ProjectDocument, WindowsPathsSurviveOpeningAndSavingHere) {
    // A project made on Windows with a header on another drive.
    ProjectRecord win;
    win.name = "w";
    add_file(win, "C:\\work\\w\\main.c", W);
    add_file(win, "D:\\inc\\a.h", W);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(encode_project(win, "C:\\work\\w", bytes, W));
    spit(dir_ + "/w.lmp", std::string(bytes.begin(), bytes.end()));
    ProjectFileError err;
    auto doc = CKelvaneDoc::open(dir_ + "/w.lmp", &err, P);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->record().sources.at(0).path, doc->project_folder() + "/main.c");
    doc->set_modified(true);
    ASSERT_EQ(doc->save(), ProjectFileError::None);
    EXPECT_EQ(slurp(dir_ + "/w.lmp"), std::string(bytes.begin(), bytes.end()));
}

TEST_F(ProjectDocument, CreatingWritesSourceDescriptionAndProject) {
    const std::string folder = dir_ + "/demo";
    ASSERT_TRUE(create_folder_tree(folder));
    int asked = 0;
    CreateProjectResult made = create_project(
        folder, "demo", [&](const std::string&) { return ++asked, true; }, P);
    ASSERT_TRUE(made.doc) << made.error;
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(
        slurp(folder + "/demo.c"),
        "#include <sys/bios.h>\r\n#include <sys/liblmc.h>\r\n\r\nint main(int argc, char *args[])\r\n{\r\n"
        "\treturn 0;\r\n}\r\n");
    EXPECT_EQ(slurp(folder + "/demo.cf"),
              "name: demo\r\ninfo: demo\r\nmode: 7\r\nsource: demo.bin\r\noutput: demo.fx\r\n");
    EXPECT_FALSE(made.doc->modified());
    EXPECT_EQ(made.doc->path(), folder + "/demo.lmp");
    EXPECT_EQ(made.doc->title(), "demo");

    ProjectFileError err;
    auto opened = CKelvaneDoc::open(folder + "/demo.lmp", &err, P);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->record().name, "demo");
    EXPECT_EQ(opened->record().description, "demo");
    EXPECT_EQ(opened->record().compile_options, kDefaultCompileOptions);
    ASSERT_EQ(opened->record().sources.size(), 1u);
    EXPECT_EQ(opened->record().sources[0].path, folder + "/demo.c");
    EXPECT_EQ(opened->project_folder(), folder);
}

TEST_F(ProjectDocument, AnExistingMainSourceIsKeptOrOverwrittenAsAnswered) {
    const std::string folder = dir_ + "/demo";
    ASSERT_TRUE(create_folder_tree(folder));
    spit(folder + "/demo.c", "old");
    std::string asked_about;
    CreateProjectResult kept = create_project(
        folder, "demo", [&](const std::string& name) { return asked_about = name, false; }, P);
    ASSERT_TRUE(kept.doc);
    EXPECT_EQ(asked_about, "demo.c");
    EXPECT_EQ(slurp(folder + "/demo.c"), "old");
    ASSERT_EQ(kept.doc->record().sources.size(), 1u);  // still added

    CreateProjectResult replaced = create_project(
        folder, "demo", [](const std::string&) { return true; }, P);
    ASSERT_TRUE(replaced.doc);
    EXPECT_EQ(slurp(folder + "/demo.c"), main_source_template());
}

TEST_F(ProjectDocument, JapaneseNameGivesHostFileNamesAndShiftJisTexts) {
    const std::string folder = dir_ + "/jp";
    ASSERT_TRUE(create_folder_tree(folder));
    const std::string sjis = "\x83\x66\x83\x82";  // "デモ"
    CreateProjectResult made = create_project(folder, sjis, nullptr, P);
    ASSERT_TRUE(made.doc) << made.error;
    EXPECT_TRUE(fs::exists(folder + "/\xE3\x83\x87\xE3\x83\xA2.lmp"));
    EXPECT_TRUE(fs::exists(folder + "/\xE3\x83\x87\xE3\x83\xA2.c"));
    EXPECT_EQ(slurp(folder + "/\xE3\x83\x87\xE3\x83\xA2.cf").substr(0, 10), "name: " + sjis);
    EXPECT_EQ(create_project(folder, "", nullptr, P).doc, nullptr);
}

TEST_F(ProjectDocument, FileListChangesMarkModifiedAndNotify) {
    CKelvaneDoc doc(P);
    doc.set_path(dir_ + "/p.lmp");
    int changes = 0;
    doc.set_files_changed_handler([&] { ++changes; });
    EXPECT_EQ(doc.last_add_folder(), dir_);
    EXPECT_EQ(doc.add_file(dir_ + "/a.c"), FileList::Sources);
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(doc.add_file(dir_ + "/a.c"), FileList::None);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(doc.add_files({dir_ + "/x/b.h", dir_ + "/y/c.txt", dir_ + "/a.c"}), 2);
    EXPECT_EQ(doc.last_add_folder(), dir_);  // folder of the last one chosen
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(doc.find_list(dir_ + "/x/b.h"), FileList::Headers);
    EXPECT_TRUE(doc.remove_file(FileList::Headers, 0));
    EXPECT_FALSE(doc.remove_file(FileList::Headers, 0));
    EXPECT_EQ(changes, 3);
}

TEST_F(ProjectDocument, AddNewFileNeverTouchesAnExistingFile) {
    CKelvaneDoc doc(P);
    doc.set_path(dir_ + "/p.lmp");
    spit(dir_ + "/there.c", "keep me");
    EXPECT_EQ(doc.add_new_file(dir_, "there.c"), AddNewFileResult::AlreadyExists);
    EXPECT_EQ(slurp(dir_ + "/there.c"), "keep me");
    EXPECT_EQ(doc.add_new_file(dir_, "new.h"), AddNewFileResult::Added);
    EXPECT_TRUE(fs::exists(dir_ + "/new.h"));
    EXPECT_EQ(fs::file_size(dir_ + "/new.h"), 0u);
    EXPECT_EQ(doc.find_list(dir_ + "/new.h"), FileList::Headers);
    EXPECT_EQ(doc.add_new_file(dir_ + "/missing", "x.c"), AddNewFileResult::CannotCreate);
}

TEST_F(ProjectDocument, ConfirmedSettingsRewriteDescriptionAndFlagAFullBuild) {
    const std::string folder = dir_ + "/demo";
    ASSERT_TRUE(create_folder_tree(folder));
    CreateProjectResult made = create_project(folder, "demo", nullptr, P);
    ASSERT_TRUE(made.doc);
    CKelvaneDoc& doc = *made.doc;
    ProjectRecord edited = doc.record();
    edited.output_folder = "bin";
    edited.description = "new info";
    edited.linked_resource = "r.fr";
    edited.display_mode = 0;
    edited.auto_transfer = true;
    edited.sources.clear();  // lists are not the dialog's business
    ASSERT_TRUE(doc.apply_settings(edited));
    EXPECT_TRUE(doc.modified());
    EXPECT_TRUE(doc.settings_changed());
    EXPECT_EQ(doc.record().sources.size(), 1u);
    EXPECT_EQ(doc.record().display_mode, 0);
    EXPECT_TRUE(doc.record().auto_transfer);
    EXPECT_EQ(slurp(folder + "/demo.cf"),
              "name: demo\r\ninfo: new info\r\nmode: 7\r\nsource: bin/demo.bin\r\noutput: "
              "bin/demo.fx\r\nresource: r.fr\r\n");
}

TEST_F(ProjectDocument, SaveQuestionBeforeClosing) {
    CKelvaneDoc doc(P);
    doc.set_path(dir_ + "/q.lmp");
    CloseCallbacks cb;
    std::string refusal, question;
    SaveAnswer answer = SaveAnswer::Cancel;
    cb.building_refusal = [&](const std::string& m) { refusal = m; };
    cb.ask_save = [&](const std::string& q) { return question = q, answer; };

    EXPECT_TRUE(doc.query_close(cb));  // unmodified: no question
    EXPECT_TRUE(question.empty());
    doc.set_building(true);
    EXPECT_FALSE(doc.query_close(cb));
    EXPECT_EQ(refusal, "ビルド中は終了できません");
    doc.set_building(false);

    doc.set_modified(true);
    EXPECT_FALSE(doc.query_close(cb));
    EXPECT_EQ(question, dir_ + "/q.lmp への変更を保存しますか？");
    answer = SaveAnswer::No;
    EXPECT_TRUE(doc.query_close(cb));
    EXPECT_FALSE(fs::exists(dir_ + "/q.lmp"));
    answer = SaveAnswer::Yes;
    EXPECT_TRUE(doc.query_close(cb));
    EXPECT_TRUE(fs::exists(dir_ + "/q.lmp"));
    EXPECT_FALSE(doc.modified());

    // A save that fails refuses the close.
    CKelvaneDoc lost(P);
    lost.set_path(dir_ + "/nowhere/q.lmp");
    lost.set_modified(true);
    EXPECT_FALSE(lost.query_close(cb));
    CKelvaneDoc untitled(P);
    untitled.set_modified(true);
    answer = SaveAnswer::Cancel;
    untitled.query_close(cb);
    EXPECT_EQ(question, "無題 への変更を保存しますか？");
}

TEST_F(ProjectDocument, OpeningABrokenFileLeavesNoProject) {
    spit(dir_ + "/bad.lmp", std::string("\x01\x00\x00\x00\x09short", 10));
    ProjectFileError err = ProjectFileError::None;
    EXPECT_EQ(CKelvaneDoc::open(dir_ + "/bad.lmp", &err, P), nullptr);
    EXPECT_EQ(err, ProjectFileError::Malformed);
    EXPECT_EQ(CKelvaneDoc::open(dir_ + "/none.lmp", &err, P), nullptr);
    EXPECT_EQ(err, ProjectFileError::NotFound);
}

}  // namespace
}  // namespace lumora::ide
