#include "cli/texts.h"

#include "serverlink/linkview.h"

#include <QCoreApplication>

namespace pelorin::cli::text {

QString fromWindow(const QString& windowText) {
    // `macs` says itself how long it waited for whom.
    return windowText == message_text::macTimeout() ? QString() : windowText;
}

QString usage() {
    return QCoreApplication::translate(
        "pelorinctl",
        R"(使い方: pelorinctl [--settings ファイル] [--quiet] [--json] コマンド [引数]

ペロリンと同じ設定で、TVサーバーの電源を切り替え、状態を見守り、ネットワーク上で探します。

コマンド:
  on [--ports P1,P2] [--count N] [--secureon XX-XX-XX-XX-XX-XX]
                               TVサーバーを起動し、応答するまで待つ
  off                          TVサーバーを休止状態にし、止まるまで待つ
  status [URL]                 TVサーバーの状態を調べる: ON、OFF、PasswordRequired、
                               WrongURL または BadConfigulation
  watch [--interval 秒]        TVサーバーの状態が変わるたびに1行表示する
  macs [URL]                   TVサーバーのMACアドレスを Mac-1 ～ Mac-5 に取得する
  wake [MAC] [--to ホスト] [--ports P1,P2] [--count N] [--secureon XX-XX-XX-XX-XX-XX]
                               Wake-on-LANのマジックパケットを送る
  discover CIDR... [--port P] [--path パス] [--timeout ミリ秒] [--save N] [--local]
                               指定したIPv4ネットワーク（それぞれ /22 まで）でTVサーバーを
                               探す。CIDRを指定しないときは、このマシンのネットワークを示す
  config get セクション キー    設定を1つ表示する
  config set セクション キー 値  設定を1つ保存する
  config set --password-stdin Server Password
                               標準入力の1行目をパスワードとして保存する
                               （値に - を指定すると、端末で表示せずに入力する）
  config list [--show-secrets] すべての設定を表示する（パスワードは ********）
  help [コマンド]              この説明、またはコマンドの説明を表示する

オプション:
  --settings ファイル  ペロリンの setting.ini の代わりにこのファイルを使う
  -q, --quiet          途中経過を標準エラー出力に表示しない
  --json               結果とエラーを標準出力にJSONで出力する
  -h, --help           この説明（コマンド --help でコマンドの説明）
  -V, --version        バージョン

終了コード: 0 完了（TVサーバーが求めた状態になった）、1 求めた状態にならなかった・見つからなかった、
2 使い方または設定の誤り（何も書き込まない）、3 認証を拒否された、またはURLがTVサーバーのページではない。
)");
}

QString version(const QString& number) {
    return QStringLiteral("pelorinctl %1").arg(number);
}

QString errorLine(const QString& message) {
    return QStringLiteral("pelorinctl: %1").arg(message);
}

QString seeHelp() {
    return QCoreApplication::translate("pelorinctl", "'pelorinctl help' をご覧ください。");
}

QString seeCommandHelp(const QString& command) {
    return QCoreApplication::translate("pelorinctl", "'pelorinctl help %1' をご覧ください。")
        .arg(command);
}

QString didYouMean(const QStringList& names) {
    QStringList quoted;
    for (const QString& name : names)
        quoted.append(QStringLiteral("'%1'").arg(name));
    if (quoted.size() == 1)
        return QCoreApplication::translate("pelorinctl", "%1 のことですか？")
            .arg(quoted.constFirst());
    const QString last = quoted.takeLast();
    return QCoreApplication::translate("pelorinctl", "%1 または %2 のことですか？")
        .arg(quoted.join(QStringLiteral(", ")), last);
}

QString withSuggestion(const QString& message, const QStringList& suggestions) {
    if (suggestions.isEmpty())
        return message;
    return QCoreApplication::translate("pelorinctl", "%1。%2")
        .arg(message, didYouMean(suggestions));
}

QString optionJson() {
    return QCoreApplication::translate("pelorinctl",
                                       "結果またはエラーを1つのJSONオブジェクトで出力します。");
}
QString optionQuiet() {
    return QCoreApplication::translate("pelorinctl", "途中経過を標準エラー出力に表示しません。");
}
QString optionHelp() {
    return QCoreApplication::translate("pelorinctl", "この説明を表示します。");
}
QString unknownCommand(const QString& name) {
    return QCoreApplication::translate("pelorinctl", "'%1' というコマンドはありません").arg(name);
}
QString unknownOption(const QString& name) {
    return QCoreApplication::translate("pelorinctl", "'%1' というオプションはありません").arg(name);
}
QString unknownCommandOption(const QString& name, const QString& command) {
    return QCoreApplication::translate("pelorinctl", "%2 に '%1' というオプションはありません")
        .arg(name, command);
}
QString noCommand() {
    return QCoreApplication::translate("pelorinctl", "コマンドが指定されていません");
}
QString settingsNeedsFile() {
    return QCoreApplication::translate(
        "pelorinctl", "--settings には設定ファイルの名前が必要です: --settings ファイル");
}
QString wrongArgumentCount(const QString& command) {
    return QCoreApplication::translate("pelorinctl", "%1 の引数の数が違います").arg(command);
}
QString settingsFileUnusable(const QString& problem, const QString& path) {
    return QCoreApplication::translate("pelorinctl", "%1: %2").arg(problem, path);
}
QString argumentUrl() {
    return QCoreApplication::translate("pelorinctl",
                                       "TVサーバーのURL（省略時は保存されているURL）。");
}
QString noServerUrl() {
    return QCoreApplication::translate(
        "pelorinctl", "TVサーバーのURLがありません: 指定するか、"
                      "pelorinctl config set Server URL http://ホスト/tv で保存してください");
}

QString describeStatus() {
    return QCoreApplication::translate(
        "pelorinctl",
        "TVサーバーの状態を調べて表示します: ON、OFF、PasswordRequired、WrongURL または "
        "BadConfigulation。終了コードは ON なら 0、OFF なら 1、それ以外は 3 です。");
}
QString describeMacs() {
    return QCoreApplication::translate(
        "pelorinctl",
        "TVサーバーのMACアドレスを Server/Mac-1 ～ Mac-5 に取得して表示します。使えるアドレスが"
        "ない応答では何も変えず、終了コード 1 で終わります。");
}
QString macsUnusable(const QString& answer) {
    return QCoreApplication::translate("pelorinctl",
                                       "TVサーバーの応答「%1」に使えるMACアドレスがありません。Mac-"
                                       "1 ～ Mac-5 は変えていません")
        .arg(answer);
}
QString macsNoAnswer(const QString& page, const QString& seconds) {
    return QCoreApplication::translate(
               "pelorinctl",
               "%1 から %2 秒以内に応答がありませんでした。Mac-1 ～ Mac-5 は変えていません")
        .arg(page, seconds);
}

QString describeWake() {
    return QCoreApplication::translate(
        "pelorinctl",
        "Wake-on-LANのマジックパケットを各ポートに送ります（--count で変えない限り3回）。"
        "家庭内ネットワーク（10.x、172.16-32.x、192.168.x）のTVサーバーのアドレスには、"
        "そのネットワークのブロードキャストアドレスに送ります。");
}
QString argumentMac() {
    return QCoreApplication::translate("pelorinctl",
                                       "XX-XX-XX-XX-XX-XX（省略時は Server/Mac、次に Mac-1）。");
}
QString optionTo() {
    return QCoreApplication::translate(
        "pelorinctl", "TVサーバーのアドレス（省略時は保存されているURLのホスト）。");
}
QString optionPorts() {
    return QCoreApplication::translate("pelorinctl",
                                       "UDPポート、カンマ区切り（省略時は 2304,9）。");
}
QString optionCount() {
    return QCoreApplication::translate("pelorinctl", "各ポートに送る回数（省略時は 3）。");
}
QString optionSecureOn() {
    return QCoreApplication::translate("pelorinctl", "パケットに付けるSecureOnパスワード。");
}
QString badPorts(const QString& value) {
    return QCoreApplication::translate("pelorinctl", "ポートは 1 ～ 65535 の数です: %1").arg(value);
}
QString badCount(int max, const QString& value) {
    return QCoreApplication::translate("pelorinctl", "--count は 1 ～ %1 の数です: %2")
        .arg(max)
        .arg(value);
}
QString badSecureOn(const QString& value) {
    return QCoreApplication::translate(
               "pelorinctl", "SecureOnパスワードは16進数2桁の6つの組です（XX-XX-XX-XX-XX-XX）: %1")
        .arg(value);
}
QString noMac() {
    return QCoreApplication::translate(
        "pelorinctl", "MACアドレスがありません: 指定するか、pelorinctl macs を実行してください");
}
QString badMac(const QString& mac) {
    return QCoreApplication::translate(
               "pelorinctl",
               "16進数2桁の6つの組のMACアドレスではありません（XX-XX-XX-XX-XX-XX）: %1")
        .arg(mac);
}
QString noWakeHost() {
    return QCoreApplication::translate("pelorinctl",
                                       "TVサーバーのアドレスがありません: --to ホスト "
                                       "を指定するか、TVサーバーのURLを保存してください");
}
QString wakeFailed(const QString& destination, const QString& error) {
    return QCoreApplication::translate("pelorinctl", "%1 を起動できませんでした: %2")
        .arg(destination, error);
}
QString wakeSent(int datagrams, const QString& mac, const QString& destination) {
    return QCoreApplication::translate("pelorinctl",
                                       "%2 のマジックパケットを %3 へ %1 個送りました")
        .arg(datagrams)
        .arg(mac, destination);
}

QString describeOn() {
    return QCoreApplication::translate(
        "pelorinctl",
        "TVサーバーを起動します: Server/Mac（なければ Mac-1）のWake-on-LANマジックパケットを"
        "保存されているURLのホストに送り、応答するまで最大10回状態を調べ、最後の状態を表示します。"
        "終了コードは、起動したら 0、応答しなかったら 1、使えるMACアドレスがなければ 2、"
        "認証またはURLを拒否されたら 3 です。");
}
QString describeOff() {
    return QCoreApplication::translate(
        "pelorinctl",
        "TVサーバーを休止状態にします: 休止のページを要求し、応答しなくなるまで最大10回状態を"
        "調べ（要求に応答がまったくなければ1回調べ）、最後の状態を表示します。終了コードは、"
        "止まったら 0、動き続けたら 1（エンコーダが動作中の可能性があります）、認証またはURLを"
        "拒否されたら 3 です。");
}
QString storeMacHint() {
    return QCoreApplication::translate(
        "pelorinctl", "TVサーバーのMACアドレスを保存してください: pelorinctl config set Server Mac "
                      "XX-XX-XX-XX-XX-XX（または取得: pelorinctl macs）");
}
QString noUsableMac() {
    return QCoreApplication::translate(
        "pelorinctl", "Server/Mac にも Server/Mac-1 にも使えるMACアドレスがありません");
}
QString neverWoke(int tries) {
    return QCoreApplication::translate("pelorinctl", "%1 回調べてもTVサーバーは応答しませんでした")
        .arg(tries);
}
QString probeProblem(StatusWord word) {
    switch (word) {
    case StatusWord::PasswordRequired:
        return QCoreApplication::translate("pelorinctl", "TVサーバーが認証を拒否しました");
    case StatusWord::WrongURL:
        return QCoreApplication::translate("pelorinctl", "URLはTVサーバーのページではありません");
    case StatusWord::On:
    case StatusWord::Off:
    case StatusWord::BadConfigulation:
        break;
    }
    return QCoreApplication::translate("pelorinctl",
                                       "URLの先にあるのはTVサーバーのページではありません");
}
QString stillOn(int tries) {
    return QCoreApplication::translate("pelorinctl", "%1 回調べてもTVサーバーは動いたままです")
        .arg(tries);
}
QString stillRefused(int tries) {
    return QCoreApplication::translate("pelorinctl",
                                       "休止の要求のあと、%1 回ともTVサーバーが認証を拒否しました")
        .arg(tries);
}
QString unansweredHibernation(const QString& statusWord) {
    return QCoreApplication::translate("pelorinctl",
                                       "休止の要求に応答がなく、TVサーバーの状態は %1 です")
        .arg(statusWord);
}
QString packetNotSent(const QString& destination, const QString& error) {
    return QCoreApplication::translate("pelorinctl", "マジックパケットを %1 へ送れませんでした: %2")
        .arg(destination, error);
}

QString describeWatch() {
    return QCoreApplication::translate(
        "pelorinctl",
        "ペロリンの画面と同じようにTVサーバーを見守ります: 動いていると見ている間はWebのポートに"
        "接続できるかを調べ、それ以外はページを調べます。始めに、そして状態（ON または OFF）が"
        "変わるたびに、時刻と状態を1行表示します。SIGINT か SIGTERM で終了コード 0 で終わります。");
}
QString optionInterval(int seconds) {
    return QCoreApplication::translate("pelorinctl", "調べる間隔の秒数（省略時は %1）。")
        .arg(seconds);
}
QString badInterval(int max, const QString& value) {
    return QCoreApplication::translate("pelorinctl", "--interval は 1 ～ %1 の秒数です: %2")
        .arg(max)
        .arg(value);
}

QString describeConfig() {
    return QCoreApplication::translate(
        "pelorinctl",
        "ペロリンの設定（セクション Pos、Form、Server）を読み書きします。- で始まる値は -- の後に"
        "書きます。Server Password の値を - にすると、端末でパスワードを表示せずに入力します"
        "（または標準入力から1行読みます）。config list は --show-secrets を付けない限り"
        "パスワードを ******** と表示します。");
}
QString argumentConfigAction() {
    return QCoreApplication::translate("pelorinctl",
                                       "get セクション キー | set セクション キー 値 | list");
}
QString optionPasswordStdin() {
    return QCoreApplication::translate(
        "pelorinctl",
        "値なしの config set Server Password: パスワードを標準入力の1行目から読みます。");
}
QString optionShowSecrets() {
    return QCoreApplication::translate("pelorinctl",
                                       "config list: パスワードを ******** ではなく表示します。");
}
QString configUsage() {
    return QCoreApplication::translate(
        "pelorinctl", "config の使い方: get セクション キー | set セクション キー 値 | list");
}
QString unknownConfigAction(const QString& action) {
    return QCoreApplication::translate(
               "pelorinctl", "'%1' という config の操作はありません（操作は get、set、list）")
        .arg(action);
}
QString unknownSection(const QString& section) {
    return QCoreApplication::translate(
               "pelorinctl", "%1 というセクションはありません（セクションは Pos、Form、Server）")
        .arg(section);
}
QString unknownKey(const QString& key, const QString& section) {
    return QCoreApplication::translate("pelorinctl", "セクション %2 に %1 というキーはありません")
        .arg(key, section);
}
QString passwordStdinOnlyForPassword() {
    return QCoreApplication::translate("pelorinctl",
                                       "--password-stdin は config set Server Password で使います");
}
QString passwordStdinWithoutValue() {
    return QCoreApplication::translate(
        "pelorinctl", "--password-stdin は値なしの config set Server Password で使います");
}
QString showSecretsOnlyForList() {
    return QCoreApplication::translate("pelorinctl", "--show-secrets は config list で使います");
}
QString passwordPrompt() {
    return QCoreApplication::translate("pelorinctl", "パスワード（表示されません）: ");
}
QString noPasswordFromTerminal() {
    return QCoreApplication::translate("pelorinctl", "端末からパスワードを読めませんでした");
}
QString noPasswordFromInput() {
    return QCoreApplication::translate("pelorinctl",
                                       "パスワードを読めませんでした: 標準入力が終わっています");
}
QString valueRefused() {
    return QCoreApplication::translate("pelorinctl", "この値は保存できません");
}
QString cannotWrite(const QString& path) {
    return QCoreApplication::translate("pelorinctl", "%1 に書き込めません").arg(path);
}

QString describeDiscover() {
    return QCoreApplication::translate(
        "pelorinctl",
        "TVサーバーを探します: 指定したIPv4ネットワーク（CIDR、それぞれ /22 まで）のすべての"
        "ホストアドレスにHTTPでTVサーバーのページを一度に多数問い合わせ、TVサーバーのページを返した"
        "アドレスを、そのURLと報告されたMACアドレスとともに一覧にします。CIDRを指定しないときは、"
        "このマシンのネットワークを候補として示すだけで、何も調べません。終了コードは、見つかれば "
        "0、"
        "見つからなければ 1、引数の誤りなら 2 です。");
}
QString argumentNetworks() {
    return QCoreApplication::translate("pelorinctl",
                                       "調べるIPv4ネットワーク（例: 192.168.1.0/24）。");
}
QString optionPort() {
    return QCoreApplication::translate("pelorinctl",
                                       "TVサーバーのWebページのTCPポート（省略時は 80）。");
}
QString optionPath() {
    return QCoreApplication::translate("pelorinctl", "TVサーバーのURLのパス（省略時は /tv）。");
}
QString optionTimeout(int ms) {
    return QCoreApplication::translate("pelorinctl",
                                       "各アドレスが応答するまで待つミリ秒（省略時は %1）。")
        .arg(ms);
}
QString optionSave() {
    return QCoreApplication::translate(
        "pelorinctl", "見つかったN番目のTVサーバーを、設定画面のOKと同じように、MACアドレスと"
                      "ともにTVサーバーのURLとして保存します。");
}
QString optionLocal() {
    return QCoreApplication::translate("pelorinctl", "このマシンのIPv4ネットワークも調べます。");
}
QString notANetwork(const QString& text) {
    return QCoreApplication::translate(
               "pelorinctl", "アドレス/プレフィックス の形のIPv4ネットワークではありません: %1")
        .arg(text);
}
QString networkTooLarge(const QString& network, quint64 addresses, int widest) {
    return QCoreApplication::translate("pelorinctl",
                                       "%1 には %2 個のアドレスがあります。調べるネットワークは "
                                       "/%3（%4 個のアドレス）までです: "
                                       "もっと小さいネットワークを指定してください")
        .arg(network)
        .arg(addresses)
        .arg(widest)
        .arg(quint64(1) << (32 - widest));
}
QString badPort(const QString& value) {
    return QCoreApplication::translate("pelorinctl", "--port は 1 ～ 65535 の数です: %1")
        .arg(value);
}
QString badPath(const QString& value) {
    return QCoreApplication::translate("pelorinctl", "--path は / で始まるURLのパスです: %1")
        .arg(value);
}
QString badTimeout(int min, int max, const QString& value) {
    return QCoreApplication::translate("pelorinctl", "--timeout は %1 ～ %2 のミリ秒数です: %3")
        .arg(min)
        .arg(max)
        .arg(value);
}
QString badSave(const QString& value) {
    return QCoreApplication::translate("pelorinctl",
                                       "--save は一覧のTVサーバーの番号（1から）です: %1")
        .arg(value);
}
QString noNetworkNamed(const QString& example) {
    return QCoreApplication::translate(
               "pelorinctl", "調べるネットワークがありません: pelorinctl discover %1 "
                             "のように指定するか、上に示した"
                             "このマシンのネットワークをすべて調べるには --local を付けてください")
        .arg(example);
}
QString noNetworkToSuggest() {
    return QCoreApplication::translate(
        "pelorinctl", "調べるネットワークがありません: アドレス/プレフィックス で指定してください"
                      "（このマシンには候補にできるIPv4ネットワークがありません）");
}
QString scanning(qsizetype addresses) {
    return QCoreApplication::translate("pelorinctl",
                                       "%1 個のアドレスにTVサーバーのページを問い合わせています...")
        .arg(addresses);
}
QString noServerFound(qsizetype addresses) {
    return QCoreApplication::translate("pelorinctl",
                                       "%1 個のアドレスの中にTVサーバーは見つかりませんでした")
        .arg(addresses);
}
QString saveOutOfRange(int n, qsizetype found) {
    return QCoreApplication::translate(
               "pelorinctl",
               "--save %1: 見つかったTVサーバーは %2 台だけです。何も保存していません")
        .arg(n)
        .arg(found);
}
QString saved(const QString& url) {
    return QCoreApplication::translate(
               "pelorinctl", "%1 をTVサーバーのURLとして、MACアドレスとともに保存しました。")
        .arg(url);
}

QString describeHelp() {
    return QCoreApplication::translate(
        "pelorinctl", "pelorinctl の説明、または1つのコマンドの説明と引数を表示します。");
}
QString argumentCommand() {
    return QCoreApplication::translate("pelorinctl", "コマンド。");
}

} // namespace pelorin::cli::text
