#include "UiTestSupport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <map>

#include "base/INI.h"
#include "base/MessagePump.h"

namespace linkmend::uitest {

TempFolder::TempFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/linkmend-uitest-XXXXXX";
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

UiFixture::UiFixture() {
    const char* saved = std::getenv("LINKMEND_PROFILE_DIR");
    hadProfileDir_ = saved != nullptr;
    savedProfileDir_ = saved ? saved : "";
    setenv("LINKMEND_PROFILE_DIR", dir_.Path().c_str(), 1);
    mkdir(Reports().c_str(), 0700);
    std::ofstream(SettingsPath()).flush();
}

UiFixture::~UiFixture() {
    SetMessagePump(nullptr);
    main_.reset();
    host_.reset();
    program_.reset();
    catalog_.reset();
    writer_.reset();
    db_.reset();
    if (hadProfileDir_) setenv("LINKMEND_PROFILE_DIR", savedProfileDir_.c_str(), 1);
    else unsetenv("LINKMEND_PROFILE_DIR");
}

void UiFixture::Set(const std::string& section, const std::string& key, const std::string& value) {
    WriteIniValue(SettingsPath(), section, key, value, 0);
}

std::string UiFixture::Saved(const std::string& section, const std::string& key) const {
    return ReadIniValueOrDefault(SettingsPath(), section, key, "<missing>", 4000);
}

void UiFixture::UseDatabase() {
    db_ = testdb::CreateDatabase(testdb::DbKind::Sqlite);
    writer_ = std::make_unique<odbc::Connection>();
    writer_->Connect(db_->Dsn(), db_->Uid(), db_->Pwd());
    catalog_ = std::make_unique<test::TestCatalog>(*writer_, db_->Prefix());
    catalog_->Basics();
    Set("Connection", "DSN", db_->ReadOnlyDsn());
    Set("Connection", "TNP", db_->Prefix());
    Set("Connection", "VoyagerPath", Folder());
    Set("Read", "UID", "reader");
    Set("Read", "PWD", "reader");
    Set("Write", "UID", "cat");
    Set("Write", "PWD", "cat-pw");
    Set("Folders", "FolderForReports", Reports());
    Set("Miscellaneous", "OwningLibraryString", "1 2");
    Set("Miscellaneous", "BooleansDefaultTrue", "FTTTTTTTTT");
    Set("Miscellaneous", "Happening", "10");
    Set("General", "Debug", "True");
    WriteIniValue(Folder() + "Voyager.INI", "Database", "DSN", db_->Dsn(), 0);
    WriteIniValue(Folder() + "Voyager.INI", "Database", "UID", db_->Uid(), 0);
    WriteIniValue(Folder() + "Voyager.INI", "Database", "PWD", db_->Pwd(), 0);
    WriteIniValue(Folder() + "Voyager.INI", "Database", "TableNamePrefix", db_->Prefix(), 0);
}

ui::frmArmatureMain& UiFixture::StartMainWindow(const std::string& settingsFile) {
    program_ = std::make_unique<Program>();
    program_->settingsFile = settingsFile.empty() ? SettingsPath() : settingsFile;
    program_->temporaryFolder = dir_.Path();
    host_ = std::make_unique<ui::QtJobHost>(*program_);
    host_->InterceptMessages([this](const ui::MessageBoxRequest& request) {
        messages.push_back(request);
        if (request.twoButtons && !answers.empty()) {
            const MessageAnswer a = answers.front();
            answers.erase(answers.begin());
            return a;
        }
        if (!request.twoButtons) return MessageAnswer::Ok;
        return request.buttons == MessageButtons::OkCancel ? MessageAnswer::Ok : MessageAnswer::Yes;
    });
    ui::InstallQtMessagePump();
    main_ = std::make_unique<ui::frmArmatureMain>(*program_, *host_);
    host_->SetMainWindow(main_.get());
    main_->StartUp();
    return *main_;
}

void UiFixture::Observe(std::function<void()> observer) {
    SetMessagePump([pump = SetMessagePump(nullptr), observer = std::move(observer)] {
        if (pump) pump();
        observer();
    });
}

std::vector<std::string> UiFixture::MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : messages) texts.push_back(m.text);
    return texts;
}

std::string UiFixture::RunFile(const std::string& suffix) const {
    for (const auto& entry : std::filesystem::directory_iterator(Reports())) {
        const std::string name = entry.path().filename().string();
        if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            return ReadWholeFile(entry.path().string());
        }
    }
    return std::string();
}

std::vector<std::string> UiFixture::RunLog() const {
    std::vector<std::string> entries;
    std::string path;
    for (const auto& entry : std::filesystem::directory_iterator(Reports())) {
        if (entry.path().filename().string().find(".Debug.txt") != std::string::npos) path = entry.path().string();
    }
    if (path.empty()) return entries;
    for (int n = 1;; ++n) {
        const std::string v = ReadIniValueOrDefault(path, "Report", std::to_string(n), "<missing>", 10000);
        if (v == "<missing>") break;
        entries.push_back(v);
    }
    return entries;
}

Accelerators AcceleratorsOf(QWidget* window) {
    Accelerators result;
    std::map<QChar, QString> used;
    auto take = [&](const QString& owner, const QString& text) {
        const auto at = text.indexOf('&');
        if (at < 0 || at + 1 >= text.size()) return;
        const QChar key = text[at + 1].toLower();
        if (used.count(key)) result.clashes << QString("%1 and %2 share Alt+%3").arg(used[key], owner, key);
        used[key] = owner;
        ++result.count;
    };
    for (QAction* a : window->findChildren<QAction*>()) take(a->objectName(), a->text());
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) take(b->objectName(), b->text());
    for (QLabel* l : window->findChildren<QLabel*>()) {
        if (l->buddy()) take(l->objectName(), l->text());
    }
    return result;
}

QString Caption(const QString& text) {
    QString shown = text;
    return shown.remove(QRegularExpression("&(?!&)"));
}

}  // namespace linkmend::uitest
