<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>HttpClient</name>
    <message>
        <source>別の要求を処理中です</source>
        <translation>another request is under way</translation>
    </message>
    <message>
        <source>http のアドレスではありません: %1</source>
        <translation>not an http address: %1</translation>
    </message>
    <message>
        <source>%1 秒待っても応答がありませんでした</source>
        <translation>no answer within %1 s</translation>
    </message>
    <message>
        <source>応答のヘッダーが終わりませんでした</source>
        <translation>the answer&apos;s header did not end</translation>
    </message>
</context>
<context>
    <name>Pelorin</name>
    <message>
        <source>ペロリン</source>
        <translation>Pelorin</translation>
    </message>
</context>
<context>
    <name>ServerState</name>
    <message>
        <source>確認中</source>
        <translation>Checking</translation>
    </message>
</context>
<context>
    <name>TrayLamp</name>
    <message>
        <source>終了(&amp;E)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>隠す(&amp;H)</source>
        <translation>&amp;Hide</translation>
    </message>
    <message>
        <source>表示(&amp;S)</source>
        <translation>&amp;Show</translation>
    </message>
</context>
<context>
    <name>commandline</name>
    <message>
        <source>使い方: %1 [--help | --version]</source>
        <translation>Usage: %1 [--help | --version]</translation>
    </message>
    <message>
        <source>TVサーバーが動いているかを表示し、電源を入れ（Wake-on-LAN）、切り（Webページからの休止）、
15秒ごとに見守ります。設定は setting.ini にあります。Pelorin(1) とヘルプをご覧ください。</source>
        <translation>Shows whether the TV server is running, switches it on (Wake-on-LAN) and off
(hibernation through its web page), and watches it every 15 seconds. The settings
are in setting.ini; see Pelorin(1) and the help manual.</translation>
    </message>
    <message>
        <source>ペロリンのインストール後に一度だけ実行します。スプラッシュ画像を表示し、
デスクトップとアプリケーションメニューのペロリンの起動項目を新しくして、
ペロリンを起動します。</source>
        <translation>Run once after Pelorin is installed: shows a splash picture, renews Pelorin&apos;s
launchers on the desktop and in the applications menu, and starts Pelorin.</translation>
    </message>
</context>
<context>
    <name>frmAbout</name>
    <message>
        <source>ペロリンのアイコン</source>
        <translation>Pelorin icon</translation>
    </message>
    <message>
        <source>TVサーバー専用電源管理ツール</source>
        <translation>Power switch for your TV server</translation>
    </message>
    <message>
        <source>バージョン 1.21</source>
        <translation>Version 1.21</translation>
    </message>
    <message>
        <source>このプログラムに関する最新情報は</source>
        <translation>For the latest news on this program, see</translation>
    </message>
    <message>
        <source>Webページ</source>
        <translation>Web page</translation>
    </message>
    <message>
        <source>を参照ください。</source>
        <translation>on the web.</translation>
    </message>
    <message>
        <source>区切り線</source>
        <translation>Separator</translation>
    </message>
    <message>
        <source>著作権表示</source>
        <translation>Copyright notice</translation>
    </message>
    <message>
        <source>Webページを開けませんでした。<byte value="xd"/>
%1</source>
        <translation>The web page could not be opened.<byte value="xd"/>
%1</translation>
    </message>
</context>
<context>
    <name>frmDesign</name>
    <message>
        <source>元に戻す(&amp;R)</source>
        <translation>&amp;Restore Window</translation>
    </message>
    <message>
        <source>終了(&amp;E)</source>
        <translation>E&amp;xit</translation>
    </message>
</context>
<context>
    <name>frmMac</name>
    <message>
        <source>詳細画面上でのMACアドレスについて：<byte value="xd"/>
<byte value="xd"/>
現在TVサーバーが起動しているのであれば、このあと接続を試みてMACアドレスを自動取得しますので入力する必要はありません。<byte value="xd"/>
そのままOKを押して画面を閉じてください。<byte value="xd"/>
TVサーバーが起動していないのであれば、TVサーバー起動状態で再度実行するか、MACアドレスを入力してください。</source>
        <translation>About the MAC address in the Details window:<byte value="xd"/>
<byte value="xd"/>
If the TV server is running now, Pelorin will connect to it next and get the MAC address automatically, so you do not need to enter it.<byte value="xd"/>
Just press OK to close the window.<byte value="xd"/>
If the TV server is not running, start it and try again, or enter the MAC address.</translation>
    </message>
    <message>
        <source>詳細</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>IPアドレス/ドメイン名</source>
        <translation>IP address/host name</translation>
    </message>
    <message>
        <source>MACアドレス</source>
        <translation>MAC address</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>MACアドレス %1</source>
        <translation>MAC address %1</translation>
    </message>
    <message>
        <source>MACアドレスの候補</source>
        <translation>Reported MAC addresses</translation>
    </message>
</context>
<context>
    <name>frmMain</name>
    <message>
        <source>設定ファイルを使えません：通常のファイルではありません。<byte value="xd"/>
%1</source>
        <translation>The settings file cannot be used: it is not a regular file.<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>設定ファイルを使えません：大きすぎます（%1 MiB まで）。<byte value="xd"/>
%2</source>
        <translation>The settings file cannot be used: it is too large (%1 MiB at most).<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>設定ファイルを使えません：読み込めません。<byte value="xd"/>
%1</source>
        <translation>The settings file cannot be used: it cannot be read.<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>設定(&amp;S)</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>TVサーバーの指定(&amp;L)</source>
        <translation>TV Server &amp;Location...</translation>
    </message>
    <message>
        <source>アイコン表示(&amp;I)</source>
        <translation>Show as &amp;Icon</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>目次とキーワード(&amp;C)</source>
        <translation>&amp;Contents and Index</translation>
    </message>
    <message>
        <source>バージョン情報(&amp;A)</source>
        <translation>&amp;About Pelorin</translation>
    </message>
    <message>
        <source>サーバーの電源</source>
        <translation>Server power</translation>
    </message>
    <message>
        <source>ランプ</source>
        <translation>Lamp</translation>
    </message>
    <message>
        <source>応答</source>
        <translation>Response</translation>
    </message>
    <message>
        <source>状態</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>既に起動しています。</source>
        <translation>Pelorin is already running.</translation>
    </message>
    <message>
        <source>TVサーバーのURLを指定してください</source>
        <translation>Please enter the TV server&apos;s URL</translation>
    </message>
    <message>
        <source>接続できませんでした</source>
        <translation>Could not connect</translation>
    </message>
    <message>
        <source>2件以上のURLが登録されています。接続先を選択してください。</source>
        <translation>Two or more URLs are registered. Please choose the server to connect to.</translation>
    </message>
    <message>
        <source>URLが間違っているようです。確認してください。</source>
        <translation>The URL seems to be wrong. Please check it.</translation>
    </message>
    <message>
        <source>接続できませんでした。</source>
        <translation>Could not connect.</translation>
    </message>
    <message>
        <source>認証に失敗しました。ユーザー名、パスワードが正しく入力されているか確認してください。</source>
        <translation>Login failed. Please check that the user name and password are entered correctly.</translation>
    </message>
    <message>
        <source>TVサーバーに接続しましたが、エラーを返しました。URLが間違っていないか確認してください。<byte value="xd"/>
<byte value="xd"/>
%1</source>
        <translation>Pelorin reached the TV server, but it returned an error. Please check that the URL is correct.<byte value="xd"/>
<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>MACアドレスの取得に失敗しました</source>
        <translation>Could not get the MAC address</translation>
    </message>
    <message>
        <source>ヘルプを開けませんでした。<byte value="xd"/>
%1</source>
        <translation>The help could not be opened.<byte value="xd"/>
%1</translation>
    </message>
</context>
<context>
    <name>frmSetting</name>
    <message>
        <source>TVサーバーの指定</source>
        <translation>TV Server</translation>
    </message>
    <message>
        <source>（例：http://tvserver/tv）</source>
        <translation>(e.g. http://tvserver/tv)</translation>
    </message>
    <message>
        <source>認証が必要な場合</source>
        <translation>If a login is required</translation>
    </message>
    <message>
        <source>ユーザー名</source>
        <translation>User name</translation>
    </message>
    <message>
        <source>パスワード</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>詳細</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>TVサーバー</source>
        <translation>TV server</translation>
    </message>
</context>
<context>
    <name>frmSplash</name>
    <message>
        <source>初期化中</source>
        <translation>Initializing</translation>
    </message>
</context>
<context>
    <name>message</name>
    <message>
        <source>MACアドレスが登録されていないため、現在の状態では電源を入れることはできません。<byte value="xd"/>
MACアドレスがわかっている場合は直接指定してから再実行してください。</source>
        <translation>No MAC address is registered, so the server cannot be switched on now.<byte value="xd"/>
If you know its MAC address, enter it and try again.</translation>
    </message>
    <message>
        <source>電源を休止状態にできませんでした。エンコーダが動作中の可能性があります。<byte value="xd"/>
エンコードを停止してから再試行してください。</source>
        <translation>The server could not be put into hibernation. An encoder may be running.<byte value="xd"/>
Stop the encoding and try again.</translation>
    </message>
    <message>
        <source>応答がありません。すでに休止状態の可能性があります。</source>
        <translation>No response. The server may already be hibernating.</translation>
    </message>
    <message>
        <source>サーバーに接続するときにタイムアウトになりました。MACアドレスの自動取得はできませんでした。</source>
        <translation>Connecting to the server timed out. The MAC address could not be obtained automatically.</translation>
    </message>
</context>
<context>
    <name>notices</name>
    <message>
        <source>TVサーバーが起動しました。</source>
        <translation>The TV server has started.</translation>
    </message>
    <message>
        <source>TVサーバーが停止しました。</source>
        <translation>The TV server has stopped.</translation>
    </message>
    <message>
        <source>TVサーバーの電源が入りました。</source>
        <translation>The TV server is on.</translation>
    </message>
    <message>
        <source>TVサーバーを休止状態にしました。</source>
        <translation>The TV server is hibernating.</translation>
    </message>
    <message>
        <source>TVサーバーの起動を確認できませんでした。</source>
        <translation>Pelorin could not confirm that the TV server started.</translation>
    </message>
    <message>
        <source>TVサーバーの休止を確認できませんでした。</source>
        <translation>Pelorin could not confirm that the TV server is hibernating.</translation>
    </message>
</context>
<context>
    <name>pelorinctl</name>
    <message>
        <source>使い方: pelorinctl [--settings ファイル] [--quiet] [--json] コマンド [引数]

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
</source>
        <translation>Usage: pelorinctl [--settings FILE] [--quiet] [--json] COMMAND [ARGS]

Switches, watches and finds the TV server from the command line, with the same settings as
Pelorin.

Commands:
  on [--ports P1,P2] [--count N] [--secureon XX-XX-XX-XX-XX-XX]
                               wake the server and wait until it answers
  off                          put the server into hibernation and wait until it is down
  status [URL]                 probe the server: ON, OFF, PasswordRequired, WrongURL
                               or BadConfigulation
  watch [--interval S]         print a line whenever the server&apos;s state changes
  macs [URL]                   fetch the server&apos;s MAC addresses into Mac-1 ... Mac-5
  wake [MAC] [--to HOST] [--ports P1,P2] [--count N] [--secureon XX-XX-XX-XX-XX-XX]
                               send the Wake-on-LAN magic packet
  discover CIDR... [--port P] [--path PATH] [--timeout MS] [--save N] [--local]
                               find servers in the named IPv4 networks (at most a /22
                               each); without CIDR, suggest this machine&apos;s networks
  config get SECTION KEY       print one setting
  config set SECTION KEY VALUE store one setting
  config set --password-stdin Server Password
                               store the first line of standard input as the password
                               (the VALUE - asks for it at the terminal without echo)
  config list [--show-secrets] print every setting, the password as ********
  help [COMMAND]               this text, or what a command does and takes

Options:
  --settings FILE   use FILE instead of Pelorin&apos;s setting.ini
  -q, --quiet       no progress lines on standard error
  --json            results, and errors, as JSON on standard output
  -h, --help        this text; COMMAND --help tells more about a command
  -V, --version     the version

Exit status: 0 done (the server is in the requested state), 1 not reached or nothing
found, 2 usage or configuration error (nothing written), 3 credentials refused or the URL
names no server page.
</translation>
    </message>
    <message>
        <source>&apos;pelorinctl help&apos; をご覧ください。</source>
        <translation>See &apos;pelorinctl help&apos;.</translation>
    </message>
    <message>
        <source>&apos;pelorinctl help %1&apos; をご覧ください。</source>
        <translation>See &apos;pelorinctl help %1&apos;.</translation>
    </message>
    <message>
        <source>%1 のことですか？</source>
        <translation>did you mean %1?</translation>
    </message>
    <message>
        <source>%1 または %2 のことですか？</source>
        <translation>did you mean %1 or %2?</translation>
    </message>
    <message>
        <source>%1。%2</source>
        <translation>%1; %2</translation>
    </message>
    <message>
        <source>結果またはエラーを1つのJSONオブジェクトで出力します。</source>
        <translation>Prints the result, or the error, as one JSON object.</translation>
    </message>
    <message>
        <source>途中経過を標準エラー出力に表示しません。</source>
        <translation>No progress lines on standard error.</translation>
    </message>
    <message>
        <source>この説明を表示します。</source>
        <translation>Shows this help.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; というコマンドはありません</source>
        <translation>unknown command &apos;%1&apos;</translation>
    </message>
    <message>
        <source>&apos;%1&apos; というオプションはありません</source>
        <translation>unknown option &apos;%1&apos;</translation>
    </message>
    <message>
        <source>%2 に &apos;%1&apos; というオプションはありません</source>
        <translation>unknown option &apos;%1&apos; for %2</translation>
    </message>
    <message>
        <source>コマンドが指定されていません</source>
        <translation>no command given</translation>
    </message>
    <message>
        <source>--settings には設定ファイルの名前が必要です: --settings ファイル</source>
        <translation>--settings needs the settings file&apos;s name: --settings FILE</translation>
    </message>
    <message>
        <source>%1 の引数の数が違います</source>
        <translation>wrong number of arguments for %1</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>TVサーバーのURL（省略時は保存されているURL）。</source>
        <translation>Server URL (default: the stored one).</translation>
    </message>
    <message>
        <source>TVサーバーのURLがありません: 指定するか、pelorinctl config set Server URL http://ホスト/tv で保存してください</source>
        <translation>no server URL: give one, or store it with pelorinctl config set Server URL http://HOST/tv</translation>
    </message>
    <message>
        <source>TVサーバーの状態を調べて表示します: ON、OFF、PasswordRequired、WrongURL または BadConfigulation。終了コードは ON なら 0、OFF なら 1、それ以外は 3 です。</source>
        <translation>Probes the TV server and prints its state: ON, OFF, PasswordRequired, WrongURL or BadConfigulation. Exit status 0 for ON, 1 for OFF, 3 otherwise.</translation>
    </message>
    <message>
        <source>TVサーバーのMACアドレスを Server/Mac-1 ～ Mac-5 に取得して表示します。使えるアドレスがない応答では何も変えず、終了コード 1 で終わります。</source>
        <translation>Fetches the server&apos;s MAC addresses into Server/Mac-1 ... Mac-5 and prints them. An answer without a usable address changes nothing and ends with exit status 1.</translation>
    </message>
    <message>
        <source>TVサーバーの応答「%1」に使えるMACアドレスがありません。Mac-1 ～ Mac-5 は変えていません</source>
        <translation>no usable MAC address in the server&apos;s answer &quot;%1&quot;; Mac-1 ... Mac-5 are unchanged</translation>
    </message>
    <message>
        <source>%1 から %2 秒以内に応答がありませんでした。Mac-1 ～ Mac-5 は変えていません</source>
        <translation>no answer from %1 within %2 s; Mac-1 ... Mac-5 are unchanged</translation>
    </message>
    <message>
        <source>Wake-on-LANのマジックパケットを各ポートに送ります（--count で変えない限り3回）。家庭内ネットワーク（10.x、172.16-32.x、192.168.x）のTVサーバーのアドレスには、そのネットワークのブロードキャストアドレスに送ります。</source>
        <translation>Sends the Wake-on-LAN magic packet to each port, three rounds unless --count says otherwise. A server address in a home network (10.x, 172.16-32.x, 192.168.x) is sent to that network&apos;s broadcast address.</translation>
    </message>
    <message>
        <source>XX-XX-XX-XX-XX-XX（省略時は Server/Mac、次に Mac-1）。</source>
        <translation>XX-XX-XX-XX-XX-XX (default: Server/Mac, then Mac-1).</translation>
    </message>
    <message>
        <source>TVサーバーのアドレス（省略時は保存されているURLのホスト）。</source>
        <translation>Server address (default: the stored URL&apos;s host).</translation>
    </message>
    <message>
        <source>UDPポート、カンマ区切り（省略時は 2304,9）。</source>
        <translation>UDP ports, comma-separated (default: 2304,9).</translation>
    </message>
    <message>
        <source>各ポートに送る回数（省略時は 3）。</source>
        <translation>Rounds of datagrams to every port (default: 3).</translation>
    </message>
    <message>
        <source>パケットに付けるSecureOnパスワード。</source>
        <translation>SecureOn password appended to the packet.</translation>
    </message>
    <message>
        <source>ポートは 1 ～ 65535 の数です: %1</source>
        <translation>ports are numbers from 1 to 65535: %1</translation>
    </message>
    <message>
        <source>--count は 1 ～ %1 の数です: %2</source>
        <translation>--count is a number from 1 to %1: %2</translation>
    </message>
    <message>
        <source>SecureOnパスワードは16進数2桁の6つの組です（XX-XX-XX-XX-XX-XX）: %1</source>
        <translation>a SecureOn password is six hexadecimal groups (XX-XX-XX-XX-XX-XX): %1</translation>
    </message>
    <message>
        <source>MACアドレスがありません: 指定するか、pelorinctl macs を実行してください</source>
        <translation>no MAC address: give one, or run pelorinctl macs</translation>
    </message>
    <message>
        <source>16進数2桁の6つの組のMACアドレスではありません（XX-XX-XX-XX-XX-XX）: %1</source>
        <translation>not a MAC address of six hexadecimal groups (XX-XX-XX-XX-XX-XX): %1</translation>
    </message>
    <message>
        <source>TVサーバーのアドレスがありません: --to ホスト を指定するか、TVサーバーのURLを保存してください</source>
        <translation>no server address: give --to HOST, or store the server URL</translation>
    </message>
    <message>
        <source>%1 を起動できませんでした: %2</source>
        <translation>could not wake %1: %2</translation>
    </message>
    <message>
        <source>%2 のマジックパケットを %3 へ %1 個送りました</source>
        <translation>sent %1 magic packets for %2 to %3</translation>
    </message>
    <message>
        <source>TVサーバーを起動します: Server/Mac（なければ Mac-1）のWake-on-LANマジックパケットを保存されているURLのホストに送り、応答するまで最大10回状態を調べ、最後の状態を表示します。終了コードは、起動したら 0、応答しなかったら 1、使えるMACアドレスがなければ 2、認証またはURLを拒否されたら 3 です。</source>
        <translation>Switches the TV server on: sends the Wake-on-LAN magic packet for Server/Mac (else Mac-1) to the stored URL&apos;s host, then probes the server up to ten times until it answers, and prints its final state. Exit status 0 when it is on, 1 when it never answered, 2 without a usable MAC address, 3 when the server refused the credentials or the URL.</translation>
    </message>
    <message>
        <source>TVサーバーを休止状態にします: 休止のページを要求し、応答しなくなるまで最大10回状態を調べ（要求に応答がまったくなければ1回調べ）、最後の状態を表示します。終了コードは、止まったら 0、動き続けたら 1（エンコーダが動作中の可能性があります）、認証またはURLを拒否されたら 3 です。</source>
        <translation>Switches the TV server off: requests its hibernation page, then probes the server up to ten times until it stops answering (when the request gets no answer at all, probes it once), and prints its final state. Exit status 0 when it is off, 1 when it keeps running (an encoder may be busy), 3 when the server refused the credentials or the URL.</translation>
    </message>
    <message>
        <source>TVサーバーのMACアドレスを保存してください: pelorinctl config set Server Mac XX-XX-XX-XX-XX-XX（または取得: pelorinctl macs）</source>
        <translation>Store the server&apos;s MAC address with: pelorinctl config set Server Mac XX-XX-XX-XX-XX-XX (or fetch it with: pelorinctl macs)</translation>
    </message>
    <message>
        <source>Server/Mac にも Server/Mac-1 にも使えるMACアドレスがありません</source>
        <translation>no usable MAC address in Server/Mac or Server/Mac-1</translation>
    </message>
    <message>
        <source>%1 回調べてもTVサーバーは応答しませんでした</source>
        <translation>the server did not answer after %1 probes</translation>
    </message>
    <message>
        <source>TVサーバーが認証を拒否しました</source>
        <translation>the server refused the credentials</translation>
    </message>
    <message>
        <source>URLはTVサーバーのページではありません</source>
        <translation>the URL names no server page</translation>
    </message>
    <message>
        <source>URLの先にあるのはTVサーバーのページではありません</source>
        <translation>the URL leads to a page that is not the server&apos;s</translation>
    </message>
    <message>
        <source>%1 回調べてもTVサーバーは動いたままです</source>
        <translation>the server still runs after %1 probes</translation>
    </message>
    <message>
        <source>休止の要求のあと、%1 回ともTVサーバーが認証を拒否しました</source>
        <translation>the server refused the credentials in all %1 probes after the hibernation request</translation>
    </message>
    <message>
        <source>休止の要求に応答がなく、TVサーバーの状態は %1 です</source>
        <translation>the hibernation request got no answer and the server reads %1</translation>
    </message>
    <message>
        <source>マジックパケットを %1 へ送れませんでした: %2</source>
        <translation>the magic packet could not be sent to %1: %2</translation>
    </message>
    <message>
        <source>ペロリンの画面と同じようにTVサーバーを見守ります: 動いていると見ている間はWebのポートに接続できるかを調べ、それ以外はページを調べます。始めに、そして状態（ON または OFF）が変わるたびに、時刻と状態を1行表示します。SIGINT か SIGTERM で終了コード 0 で終わります。</source>
        <translation>Watches the TV server as Pelorin&apos;s window does: while it is believed to be on, tests whether its web port accepts a connection; otherwise probes its page. Prints a line with the time and the state (ON or OFF) at the start and whenever the state changes. Ends with exit status 0 on SIGINT or SIGTERM.</translation>
    </message>
    <message>
        <source>調べる間隔の秒数（省略時は %1）。</source>
        <translation>Seconds between two looks (default: %1).</translation>
    </message>
    <message>
        <source>--interval は 1 ～ %1 の秒数です: %2</source>
        <translation>--interval is a number of seconds from 1 to %1: %2</translation>
    </message>
    <message>
        <source>ペロリンの設定（セクション Pos、Form、Server）を読み書きします。- で始まる値は -- の後に書きます。Server Password の値を - にすると、端末でパスワードを表示せずに入力します（または標準入力から1行読みます）。config list は --show-secrets を付けない限りパスワードを ******** と表示します。</source>
        <translation>Reads and writes Pelorin&apos;s settings (sections Pos, Form and Server). A value that begins with a dash follows &quot;--&quot;. The value - of Server Password asks for the password at the terminal without showing it (or reads a line of standard input). config list shows the password as ******** unless --show-secrets is given.</translation>
    </message>
    <message>
        <source>get セクション キー | set セクション キー 値 | list</source>
        <translation>get SECTION KEY | set SECTION KEY VALUE | list</translation>
    </message>
    <message>
        <source>値なしの config set Server Password: パスワードを標準入力の1行目から読みます。</source>
        <translation>config set Server Password without VALUE: reads the password from the first line of standard input.</translation>
    </message>
    <message>
        <source>config list: パスワードを ******** ではなく表示します。</source>
        <translation>config list: shows the password instead of ********.</translation>
    </message>
    <message>
        <source>config の使い方: get セクション キー | set セクション キー 値 | list</source>
        <translation>config takes: get SECTION KEY | set SECTION KEY VALUE | list</translation>
    </message>
    <message>
        <source>&apos;%1&apos; という config の操作はありません（操作は get、set、list）</source>
        <translation>unknown config action &apos;%1&apos; (actions are get, set and list)</translation>
    </message>
    <message>
        <source>%1 というセクションはありません（セクションは Pos、Form、Server）</source>
        <translation>unknown section %1 (sections are Pos, Form and Server)</translation>
    </message>
    <message>
        <source>セクション %2 に %1 というキーはありません</source>
        <translation>unknown key %1 in section %2</translation>
    </message>
    <message>
        <source>--password-stdin は config set Server Password で使います</source>
        <translation>--password-stdin is for: config set Server Password</translation>
    </message>
    <message>
        <source>--password-stdin は値なしの config set Server Password で使います</source>
        <translation>--password-stdin goes with: config set Server Password (without VALUE)</translation>
    </message>
    <message>
        <source>--show-secrets は config list で使います</source>
        <translation>--show-secrets goes with: config list</translation>
    </message>
    <message>
        <source>パスワード（表示されません）: </source>
        <translation>Password (not shown): </translation>
    </message>
    <message>
        <source>端末からパスワードを読めませんでした</source>
        <translation>no password was read from the terminal</translation>
    </message>
    <message>
        <source>パスワードを読めませんでした: 標準入力が終わっています</source>
        <translation>no password was read: standard input ended</translation>
    </message>
    <message>
        <source>この値は保存できません</source>
        <translation>this value cannot be stored</translation>
    </message>
    <message>
        <source>%1 に書き込めません</source>
        <translation>cannot write %1</translation>
    </message>
    <message>
        <source>TVサーバーを探します: 指定したIPv4ネットワーク（CIDR、それぞれ /22 まで）のすべてのホストアドレスにHTTPでTVサーバーのページを一度に多数問い合わせ、TVサーバーのページを返したアドレスを、そのURLと報告されたMACアドレスとともに一覧にします。CIDRを指定しないときは、このマシンのネットワークを候補として示すだけで、何も調べません。終了コードは、見つかれば 0、見つからなければ 1、引数の誤りなら 2 です。</source>
        <translation>Finds TV servers: asks every host address of the named IPv4 networks (CIDR, at most a /22 each) for the server page over HTTP, many at once, and lists each address whose page is the server&apos;s, with its URL and the MAC addresses it reports. Without CIDR, prints this machine&apos;s own networks as suggestions and scans nothing. Exit status 0 when a server was found, 1 when none was, 2 for a mistake in the arguments.</translation>
    </message>
    <message>
        <source>調べるIPv4ネットワーク（例: 192.168.1.0/24）。</source>
        <translation>IPv4 networks to scan, such as 192.168.1.0/24.</translation>
    </message>
    <message>
        <source>TVサーバーのWebページのTCPポート（省略時は 80）。</source>
        <translation>TCP port of the server&apos;s web page (default: 80).</translation>
    </message>
    <message>
        <source>TVサーバーのURLのパス（省略時は /tv）。</source>
        <translation>Path of the server URL (default: /tv).</translation>
    </message>
    <message>
        <source>各アドレスが応答するまで待つミリ秒（省略時は %1）。</source>
        <translation>Milliseconds each address has to answer (default: %1).</translation>
    </message>
    <message>
        <source>見つかったN番目のTVサーバーを、設定画面のOKと同じように、MACアドレスとともにTVサーバーのURLとして保存します。</source>
        <translation>Stores the N-th server found as the server URL, with its MAC addresses, as the settings dialog&apos;s OK would.</translation>
    </message>
    <message>
        <source>このマシンのIPv4ネットワークも調べます。</source>
        <translation>Scans this machine&apos;s own IPv4 networks too.</translation>
    </message>
    <message>
        <source>アドレス/プレフィックス の形のIPv4ネットワークではありません: %1</source>
        <translation>not an IPv4 network written ADDRESS/PREFIX: %1</translation>
    </message>
    <message>
        <source>%1 には %2 個のアドレスがあります。調べるネットワークは /%3（%4 個のアドレス）までです: もっと小さいネットワークを指定してください</source>
        <translation>%1 has %2 addresses; a network to scan is at most a /%3 (%4 addresses): name smaller ones</translation>
    </message>
    <message>
        <source>--port は 1 ～ 65535 の数です: %1</source>
        <translation>--port is a number from 1 to 65535: %1</translation>
    </message>
    <message>
        <source>--path は / で始まるURLのパスです: %1</source>
        <translation>--path is a URL path that begins with /: %1</translation>
    </message>
    <message>
        <source>--timeout は %1 ～ %2 のミリ秒数です: %3</source>
        <translation>--timeout is a number of milliseconds from %1 to %2: %3</translation>
    </message>
    <message>
        <source>--save は一覧のTVサーバーの番号（1から）です: %1</source>
        <translation>--save is the number of a server in the list, from 1: %1</translation>
    </message>
    <message>
        <source>調べるネットワークがありません: pelorinctl discover %1 のように指定するか、上に示したこのマシンのネットワークをすべて調べるには --local を付けてください</source>
        <translation>no network to scan: name one, such as pelorinctl discover %1, or give --local to scan all of this machine&apos;s networks listed above</translation>
    </message>
    <message>
        <source>調べるネットワークがありません: アドレス/プレフィックス で指定してください（このマシンには候補にできるIPv4ネットワークがありません）</source>
        <translation>no network to scan: name one as ADDRESS/PREFIX (this machine has no IPv4 network to suggest)</translation>
    </message>
    <message>
        <source>%1 個のアドレスにTVサーバーのページを問い合わせています...</source>
        <translation>Asking %1 addresses for the server page...</translation>
    </message>
    <message>
        <source>%1 個のアドレスの中にTVサーバーは見つかりませんでした</source>
        <translation>no server found among %1 addresses</translation>
    </message>
    <message>
        <source>--save %1: 見つかったTVサーバーは %2 台だけです。何も保存していません</source>
        <translation>--save %1: only %2 servers were found; nothing was stored</translation>
    </message>
    <message>
        <source>%1 をTVサーバーのURLとして、MACアドレスとともに保存しました。</source>
        <translation>Stored %1 as the server URL, with its MAC addresses.</translation>
    </message>
    <message>
        <source>pelorinctl の説明、または1つのコマンドの説明と引数を表示します。</source>
        <translation>Shows what pelorinctl does, or what one command does and takes.</translation>
    </message>
    <message>
        <source>コマンド。</source>
        <translation>A command.</translation>
    </message>
</context>
<context>
    <name>settings</name>
    <message>
        <source>設定ファイルが通常のファイルではありません</source>
        <translation>the settings file is not a regular file</translation>
    </message>
    <message>
        <source>設定ファイルが 4 MiB より大きくなっています</source>
        <translation>the settings file is larger than 4 MiB</translation>
    </message>
    <message>
        <source>設定ファイルを読み込めません</source>
        <translation>the settings file cannot be read</translation>
    </message>
    <message>
        <source>値を保存しました</source>
        <translation>the value was stored</translation>
    </message>
    <message>
        <source>設定ファイルには既にこの値があります</source>
        <translation>the settings file already held this value</translation>
    </message>
    <message>
        <source>この値は保存できません: 改行か NUL を含む値、読み出せなくなる名前、または 4 MiB を超える設定ファイルになります</source>
        <translation>this value cannot be stored: a line break or NUL in it, a name that a read could not find again, or a settings file that would grow past 4 MiB</translation>
    </message>
    <message>
        <source>この文字列は設定ファイルの文字コード（古い Shift-JIS のファイル）ではそのまま書けません</source>
        <translation>this text cannot be written in the encoding of the settings file (an old Shift-JIS file) as it is</translation>
    </message>
    <message>
        <source>別のプログラムが設定ファイルをロックしたままです</source>
        <translation>another program kept the settings file locked</translation>
    </message>
    <message>
        <source>設定ファイルを使えません</source>
        <translation>the settings file cannot be used</translation>
    </message>
    <message>
        <source>設定ファイルに書き込めませんでした（フォルダーがない、権限がない、またはディスクがいっぱいです）</source>
        <translation>the settings file could not be written (a missing folder, no permission or a full disk)</translation>
    </message>
    <message>
        <source>値に改行は入れられません</source>
        <translation>a value cannot contain line breaks</translation>
    </message>
    <message>
        <source>値は UTF-8 で %1 バイトまでです（この値は %2 バイト）</source>
        <translation>a value is at most %1 bytes long in UTF-8; this one has %2</translation>
    </message>
    <message>
        <source>位置は twip 単位の数値です: %1</source>
        <translation>a position is a number of twips: %1</translation>
    </message>
    <message>
        <source>ポート番号が範囲（1～65535）の外です: %1</source>
        <translation>port out of range (1-65535) in %1</translation>
    </message>
    <message>
        <source>http:// か https:// のアドレスではありません: %1</source>
        <translation>not an http:// or https:// address: %1</translation>
    </message>
    <message>
        <source>16進数6組のMACアドレス（XX-XX-XX-XX-XX-XX）ではありません: %1</source>
        <translation>not a MAC address of six hexadecimal groups (XX-XX-XX-XX-XX-XX): %1</translation>
    </message>
</context>
<context>
    <name>status</name>
    <message>
        <source>接続中...</source>
        <translation>Connecting...</translation>
    </message>
    <message>
        <source>サーバー:ON</source>
        <translation>Server: ON</translation>
    </message>
    <message>
        <source>サーバー:OFF</source>
        <translation>Server: OFF</translation>
    </message>
    <message>
        <source>認証失敗</source>
        <translation>Login failed</translation>
    </message>
    <message>
        <source>URL間違い</source>
        <translation>Wrong URL</translation>
    </message>
    <message>
        <source>サーバー状態不明</source>
        <translation>Server state unknown</translation>
    </message>
    <message>
        <source>命令送信...</source>
        <translation>Sending command...</translation>
    </message>
    <message>
        <source>状況確認中...</source>
        <translation>Confirming...</translation>
    </message>
</context>
<context>
    <name>wake</name>
    <message>
        <source>%1 を調べましたが応答がありませんでした</source>
        <translation>no answer looking up %1</translation>
    </message>
    <message>
        <source>ホスト %1 が見つかりません</source>
        <translation>cannot find the host %1</translation>
    </message>
    <message>
        <source>使えるMACアドレスではありません: %1</source>
        <translation>not a usable MAC address: %1</translation>
    </message>
    <message>
        <source>送り先のアドレスがありません</source>
        <translation>no address to send to</translation>
    </message>
</context>
</TS>
