#include "main_window/connection_section.h"

#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <cmath>

namespace harvel {
namespace {

QString Text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

QLabel* Caption(const QString& text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(buddy);
  return label;
}

}  // namespace

ConnectionSection::ConnectionSection(KeptSettings kept, QWidget* parent)
    : SettingsSection("ConnectionFrame", tr("接続"), parent), kept_(std::move(kept)) {
  auto* form = new QWidget(this);
  auto* rows = new QFormLayout(form);
  rows->setContentsMargins(0, 0, 0, 0);

  cookiesFile_ = new FileField("CookiesFileTxt", tr("参照(&B)..."), tr("Cookieファイルを選ぶ"),
                               tr("Cookieファイル (*.txt);;すべてのファイル (*)"), form);
  cookiesFile_->edit()->setPlaceholderText(tr("ブラウザから書き出した cookies.txt (Netscape形式)"));
  rows->addRow(Caption(tr("Cookieファイル(&C)"), cookiesFile_->edit(), form), cookiesFile_);
  cookiesWarning_ = new QLabel(form);
  cookiesWarning_->setObjectName(QStringLiteral("CookiesWarningLbl"));
  cookiesWarning_->setText(tr("このファイルは他のユーザーも読めます(ログイン情報を含みます)"));
  cookiesWarning_->setVisible(false);
  rows->addRow(QString(), cookiesWarning_);

  userAgent_ = new QLineEdit(form);
  userAgent_->setObjectName(QStringLiteral("UserAgentTxt"));
  userAgent_->setPlaceholderText(tr("空欄のとき %1").arg(kDefaultUserAgent));
  rows->addRow(Caption(tr("User-Agent(&U)"), userAgent_, form), userAgent_);

  headers_ = new QPlainTextEdit(form);
  headers_->setObjectName(QStringLiteral("HeadersTxt"));
  headers_->setTabChangesFocus(true);
  headers_->setLineWrapMode(QPlainTextEdit::NoWrap);
  headers_->setPlaceholderText(tr("1行に1つ「名前: 値」 例: Accept-Language: ja"));
  headers_->setFixedHeight(headers_->fontMetrics().lineSpacing() * 4 + 10);
  rows->addRow(Caption(tr("追加ヘッダー(&H)"), headers_, form), headers_);

  proxy_ = new QLineEdit(form);
  proxy_->setObjectName(QStringLiteral("ProxyTxt"));
  proxy_->setPlaceholderText(tr("例: http://127.0.0.1:8080 (空欄: 環境変数 http_proxy など)"));
  rows->addRow(Caption(tr("プロキシ(&P)"), proxy_, form), proxy_);

  caCertificate_ = new FileField("CaCertificateTxt", tr("参照(&R)..."), tr("CA証明書を選ぶ"),
                                 tr("証明書 (*.pem *.crt *.cer);;すべてのファイル (*)"), form);
  caCertificate_->edit()->setPlaceholderText(tr("自前の認証局の証明書 (PEM形式)"));
  rows->addRow(Caption(tr("CA証明書(&A)"), caCertificate_->edit(), form), caCertificate_);

  hostJobs_ = new QSpinBox(form);
  hostJobs_->setObjectName(QStringLiteral("HostJobsSpin"));
  hostJobs_->setRange(0, HostManners::kMostHostJobs);
  hostJobs_->setSpecialValueText(tr("同時ダウンロード数と同じ"));
  rows->addRow(Caption(tr("1ホストの同時接続数(&J)"), hostJobs_, form), hostJobs_);

  wait_ = new QDoubleSpinBox(form);
  wait_->setObjectName(QStringLiteral("WaitSpin"));
  wait_->setDecimals(1);
  wait_->setRange(0, static_cast<double>(HostManners::kLongestWait.count()) / 1000);
  wait_->setSingleStep(0.5);
  wait_->setSuffix(tr(" 秒"));
  rows->addRow(Caption(tr("同じホストへの間隔(&W)"), wait_, form), wait_);
  randomWait_ = new QCheckBox(tr("間隔をばらつかせる (0.5〜1.5倍)(&D)"), form);
  randomWait_->setObjectName(QStringLiteral("RandomWaitChk"));
  rows->addRow(QString(), randomWait_);

  auto* note = new QLabel(tr("接続の設定は次の巡回から使われます。プロキシのパスワードと、"
                             "Authorization・Cookie などログイン用のヘッダーは保存されません。"),
                          form);
  note->setWordWrap(true);
  rows->addRow(note);
  addRow(form);

  load();
  showCookiesWarning();
  for (QLineEdit* edit : {cookiesFile_->edit(), userAgent_, proxy_, caCertificate_->edit()})
    connect(edit, &QLineEdit::textChanged, this, [this] { keep(); });
  connect(headers_, &QPlainTextEdit::textChanged, this, [this] { keep(); });
  connect(hostJobs_, &QSpinBox::valueChanged, this, [this] { keep(); });
  connect(wait_, &QDoubleSpinBox::valueChanged, this, [this] { keep(); });
  connect(randomWait_, &QCheckBox::toggled, this, [this] { keep(); });
  connect(cookiesFile_->edit(), &QLineEdit::textChanged, this,
          &ConnectionSection::showCookiesWarning);
}

ConnectionSettings ConnectionSection::settings() const {
  ConnectionSettings settings;
  settings.cookiesFile = cookiesFile_->text().toStdString();
  settings.userAgent = userAgent_->text().trimmed().toStdString();
  for (const QString& line : headers_->toPlainText().split(QLatin1Char('\n'))) {
    if (!line.trimmed().isEmpty())
      settings.headers.push_back(line.trimmed().toStdString());
  }
  settings.proxy = proxy_->text().trimmed().toStdString();
  settings.caCertificate = caCertificate_->text().toStdString();
  settings.manners.hostJobs = hostJobs_->value();
  settings.manners.wait = std::chrono::milliseconds(std::lround(wait_->value() * 1000));
  settings.manners.randomWait = randomWait_->isChecked();
  return settings;
}

void ConnectionSection::load() {
  cookiesFile_->edit()->setText(kept_.value(QStringLiteral("connection/cookiesFile")).toString());
  userAgent_->setText(kept_.value(QStringLiteral("connection/userAgent")).toString());
  headers_->setPlainText(
      kept_.value(QStringLiteral("connection/headers")).toStringList().join(QLatin1Char('\n')));
  proxy_->setText(kept_.value(QStringLiteral("connection/proxy")).toString());
  caCertificate_->edit()->setText(
      kept_.value(QStringLiteral("connection/caCertificate")).toString());
  // Spin boxes bound what a hand-edited file holds.
  hostJobs_->setValue(kept_.value(QStringLiteral("connection/hostJobs")).toInt());
  wait_->setValue(kept_.value(QStringLiteral("connection/waitMs")).toDouble() / 1000);
  randomWait_->setChecked(kept_.value(QStringLiteral("connection/randomWait")).toBool());
}

void ConnectionSection::keep() const {
  const ConnectionSettings kept = KeptPart(settings());
  QStringList headers;
  for (const std::string& header : kept.headers)
    headers.append(Text(header));
  kept_.setValue(QStringLiteral("connection/cookiesFile"), Text(kept.cookiesFile));
  kept_.setValue(QStringLiteral("connection/userAgent"), Text(kept.userAgent));
  kept_.setValue(QStringLiteral("connection/headers"), headers);
  kept_.setValue(QStringLiteral("connection/proxy"), Text(kept.proxy));
  kept_.setValue(QStringLiteral("connection/caCertificate"), Text(kept.caCertificate));
  kept_.setValue(QStringLiteral("connection/hostJobs"), kept.manners.hostJobs);
  kept_.setValue(QStringLiteral("connection/waitMs"),
                 static_cast<qlonglong>(kept.manners.wait.count()));
  kept_.setValue(QStringLiteral("connection/randomWait"), kept.manners.randomWait);
}

void ConnectionSection::showEvent(QShowEvent* event) {
  showCookiesWarning();
  SettingsSection::showEvent(event);
}

// A cookies file holds the user's logins: one that others may read is pointed out.
void ConnectionSection::showCookiesWarning() {
  const QFileInfo file(cookiesFile_->text());
  const bool shared = !cookiesFile_->text().isEmpty() && file.isFile() &&
                      (file.permissions() & (QFile::ReadGroup | QFile::ReadOther));
  cookiesWarning_->setVisible(shared);
}

}  // namespace harvel
