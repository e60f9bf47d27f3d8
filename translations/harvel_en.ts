<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>CollectSection</name>
    <message>
        <source>取得</source>
        <translation>Collect</translation>
    </message>
    <message>
        <source>最小画像サイズの幅(ピクセル)</source>
        <translation>Minimum picture width (pixels)</translation>
    </message>
    <message>
        <source>最小画像サイズの高さ(ピクセル)</source>
        <translation>Minimum picture height (pixels)</translation>
    </message>
    <message>
        <source>×</source>
        <translation>×</translation>
    </message>
    <message>
        <source>ピクセル (0 × 0: すべて取得)</source>
        <translation>pixels (0 × 0: all)</translation>
    </message>
    <message>
        <source>最小画像サイズ(&amp;M)</source>
        <translation>&amp;Minimum picture size</translation>
    </message>
    <message>
        <source>幅か高さがこれより小さい画像は取得しません(画像の先頭から判定)</source>
        <translation>Pictures narrower or lower than this are not collected (judged from the start of the picture)</translation>
    </message>
    <message>
        <source>取得済みのファイルは取得しない(&amp;N)</source>
        <translation>Only &amp;new files (skip those collected before)</translation>
    </message>
    <message>
        <source>タイトルのフォルダの .harvel に取得したファイルを記録し、記録にあるファイル(削除したものも)はもう取得しません。ページは変わったときだけ読み直します</source>
        <translation>Records the collected files in .harvel in the title&apos;s folder and does not collect a recorded file again (also when it was deleted). Pages are read again only when they changed</translation>
    </message>
    <message>
        <source>ブラウザで表示してから読む(&amp;B)</source>
        <translation>Render pages in a &amp;browser first</translation>
    </message>
    <message>
        <source>ページを Chromium で開き、スクリプトの実行後に下までスクロールしてから、表示された内容と読み込まれた画像を読みます。ブラウザには Cookie・User-Agent・ヘッダ・プロキシが渡されます(CA 証明書ファイルは渡されません)</source>
        <translation>Opens each page in Chromium, scrolls to the bottom after its scripts ran, and reads what is shown and the pictures it loaded. The browser is given the cookies, User-Agent, headers and proxy (not the CA certificate file)</translation>
    </message>
    <message>
        <source>Chromium が見つからないため使えません。パッケージ %1 (または chromium) をインストールしてください</source>
        <translation>Not available: Chromium was not found. Install the package %1 (or chromium)</translation>
    </message>
    <message>
        <source>同じサイトのページだけ読む(&amp;S)</source>
        <translation>Read pages of the same &amp;site only</translation>
    </message>
    <message>
        <source>開始URLと同じサイト(ドメイン)のページだけからリンク先を得ます。画像などのファイルはどのサイトからも取得します</source>
        <translation>Links are taken only from pages of the start URL&apos;s site (domain). Pictures and other files are collected from any site</translation>
    </message>
    <message>
        <source>すべてのリンクをたどる(&amp;A)</source>
        <translation>Follow &amp;all links</translation>
    </message>
    <message>
        <source>レベルを開始ページからのクリック数として、ページのリンクをすべてたどります。「同じサイトのページだけ読む」なしでは巡回が急に大きくなります</source>
        <translation>Follows every link of a page, the level counting the clicks from the start page. Without &quot;Read pages of the same site only&quot; the crawl grows fast</translation>
    </message>
    <message>
        <source>次のページをたどる(&amp;P)</source>
        <translation>Follow next &amp;pages</translation>
    </message>
    <message>
        <source>次のページをたどる(ページ数)</source>
        <translation>Follow next pages (pages)</translation>
    </message>
    <message>
        <source>ページまで (0: たどらない)</source>
        <translation>pages at most (0: none)</translation>
    </message>
    <message>
        <source>「次へ」のリンクをレベルを減らさずにたどります。続けてたどるページ数の上限です</source>
        <translation>Follows &quot;next&quot; links without using up the level; the most pages followed in a chain</translation>
    </message>
    <message>
        <source>取得ルール(&amp;R): 1行に1つ、+パターン で取得、-パターン で取得しない</source>
        <translation>URL &amp;rules, one a line: +pattern collects, -pattern leaves out</translation>
    </message>
    <message>
        <source>取得ルール</source>
        <translation>URL rules</translation>
    </message>
    <message>
        <source>URL全体に * ? [a-z] のパターンを当て、最後に当てはまったルールが決めます。page: はページだけ、file: はファイルだけに当てます</source>
        <translation>Patterns with * ? [a-z] are matched against the whole URL; the last rule that matches decides. page: applies to pages only, file: to files only</translation>
    </message>
    <message>
        <source>読めないルールは使いません: </source>
        <translation>Rules that cannot be read are not used: </translation>
    </message>
    <message>
        <source>ロボット排除に従う(&amp;X)</source>
        <translation>Obey robots.t&amp;xt</translation>
    </message>
    <message>
        <source>各サイトの robots.txt を最初に読み、禁止されたURLは取得しません(除外として数えます)。Crawl-delay の間隔も守ります</source>
        <translation>Reads each site&apos;s robots.txt first and does not collect the URLs it refuses (counted as excluded). Its Crawl-delay is kept too</translation>
    </message>
</context>
<context>
    <name>ConnectionSection</name>
    <message>
        <source>接続</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>参照(&amp;B)...</source>
        <translation>&amp;Browse...</translation>
    </message>
    <message>
        <source>Cookieファイルを選ぶ</source>
        <translation>Choose a cookie file</translation>
    </message>
    <message>
        <source>Cookieファイル (*.txt);;すべてのファイル (*)</source>
        <translation>Cookie files (*.txt);;All files (*)</translation>
    </message>
    <message>
        <source>ブラウザから書き出した cookies.txt (Netscape形式)</source>
        <translation>A cookies.txt exported from a browser (Netscape format)</translation>
    </message>
    <message>
        <source>Cookieファイル(&amp;C)</source>
        <translation>&amp;Cookie file</translation>
    </message>
    <message>
        <source>このファイルは他のユーザーも読めます(ログイン情報を含みます)</source>
        <translation>Other users can read this file (it holds logins)</translation>
    </message>
    <message>
        <source>空欄のとき %1</source>
        <translation>Empty: %1</translation>
    </message>
    <message>
        <source>User-Agent(&amp;U)</source>
        <translation>&amp;User-Agent</translation>
    </message>
    <message>
        <source>1行に1つ「名前: 値」 例: Accept-Language: ja</source>
        <translation>One &quot;Name: value&quot; a line, e.g. Accept-Language: en</translation>
    </message>
    <message>
        <source>追加ヘッダー(&amp;H)</source>
        <translation>Extra &amp;headers</translation>
    </message>
    <message>
        <source>例: http://127.0.0.1:8080 (空欄: 環境変数 http_proxy など)</source>
        <translation>e.g. http://127.0.0.1:8080 (empty: the variables http_proxy and others)</translation>
    </message>
    <message>
        <source>プロキシ(&amp;P)</source>
        <translation>&amp;Proxy</translation>
    </message>
    <message>
        <source>参照(&amp;R)...</source>
        <translation>B&amp;rowse...</translation>
    </message>
    <message>
        <source>CA証明書を選ぶ</source>
        <translation>Choose a CA certificate</translation>
    </message>
    <message>
        <source>証明書 (*.pem *.crt *.cer);;すべてのファイル (*)</source>
        <translation>Certificates (*.pem *.crt *.cer);;All files (*)</translation>
    </message>
    <message>
        <source>自前の認証局の証明書 (PEM形式)</source>
        <translation>Your own certificate authority (PEM format)</translation>
    </message>
    <message>
        <source>CA証明書(&amp;A)</source>
        <translation>C&amp;A certificate</translation>
    </message>
    <message>
        <source>接続の設定は次の巡回から使われます。プロキシのパスワードと、Authorization・Cookie などログイン用のヘッダーは保存されません。</source>
        <translation>Connection settings are used from the next crawl on. The proxy password and login headers such as Authorization and Cookie are not saved.</translation>
    </message>
    <message>
        <source>同時ダウンロード数と同じ</source>
        <translation>Same as downloads at once</translation>
    </message>
    <message>
        <source>1ホストの同時接続数(&amp;J)</source>
        <translation>Connections to one host (&amp;J)</translation>
    </message>
    <message>
        <source> 秒</source>
        <translation> s</translation>
    </message>
    <message>
        <source>同じホストへの間隔(&amp;W)</source>
        <translation>&amp;Wait between requests to a host</translation>
    </message>
    <message>
        <source>間隔をばらつかせる (0.5〜1.5倍)(&amp;D)</source>
        <translation>Vary the wait (0.5 to 1.5 times) (&amp;D)</translation>
    </message>
</context>
<context>
    <name>DesktopProgram</name>
    <message>
        <source>巡回中は取得記録を消去できません。巡回が終わってから選んでください。</source>
        <translation>The record cannot be forgotten during a crawl. Choose it again when the crawl has ended.</translation>
    </message>
    <message>
        <source>「%1」はフォルダの名前に使えないため、取得記録もありません。</source>
        <translation>&quot;%1&quot; cannot name a folder, so it has no record either.</translation>
    </message>
    <message>
        <source>「%1」の取得記録を消去しました。</source>
        <translation>The record of &quot;%1&quot; was forgotten.</translation>
    </message>
    <message>
        <source>「%1」には取得記録がありません。</source>
        <translation>&quot;%1&quot; has no record.</translation>
    </message>
    <message>
        <source>「%1」の取得記録を消去できませんでした。

%2</source>
        <translation>The record of &quot;%1&quot; could not be forgotten.

%2</translation>
    </message>
</context>
<context>
    <name>DisplaySection</name>
    <message>
        <source>表示</source>
        <translation>Display</translation>
    </message>
    <message>
        <source>サムネイルを表示(&amp;T)</source>
        <translation>Show &amp;thumbnails</translation>
    </message>
    <message>
        <source>巡回ウィンドウの一覧の下に、取得した画像を新しい順に小さく並べます</source>
        <translation>Shows small copies of the collected pictures below the crawl window&apos;s list, newest first</translation>
    </message>
</context>
<context>
    <name>EngineText</name>
    <message>
        <source>巡回中・・・</source>
        <translation>Crawling...</translation>
    </message>
    <message>
        <source>ダウンロードが完了しました(2秒後に自動で閉じます)</source>
        <translation>Download complete (closes in 2 seconds)</translation>
    </message>
    <message>
        <source>スレッドを終了しています...</source>
        <translation>Stopping...</translation>
    </message>
    <message>
        <source>ダウンロード中...</source>
        <translation>Downloading...</translation>
    </message>
    <message>
        <source>ブラウザで表示中...</source>
        <translation>Rendering in the browser...</translation>
    </message>
    <message>
        <source>処理中...(ブラウザで表示中)</source>
        <translation>Processing... (rendering in the browser)</translation>
    </message>
    <message>
        <source>処理中...(ブラウザで表示: %1 秒)</source>
        <translation>Processing... (rendered in %1 s)</translation>
    </message>
    <message>
        <source>処理中...</source>
        <translation>Processing...</translation>
    </message>
    <message>
        <source>ダウンロード総数:%1 (残りの数：%2 )</source>
        <translation>Downloaded: %1 (left: %2)</translation>
    </message>
    <message>
        <source>Harvelのものでない取得記録を %1 に移し、新しい取得記録を始めました</source>
        <translation>A record that is not Harvel&apos;s was moved to %1; a new record was started</translation>
    </message>
    <message>
        <source>壊れた取得記録を %1 に移し、新しい取得記録を始めました</source>
        <translation>A damaged record was moved to %1; a new record was started</translation>
    </message>
    <message>
        <source>取得記録は新しいHarvelで書かれているため使えません。取得を中止しました(%1)</source>
        <translation>The record was written by a newer Harvel and cannot be used. The crawl was stopped (%1)</translation>
    </message>
    <message>
        <source>取得記録を使えないため、取得を中止しました(%1)</source>
        <translation>The record cannot be used, so the crawl was stopped (%1)</translation>
    </message>
    <message>
        <source>「%1」はフォルダの名前に使えないため、巡回を始めませんでした。
空でも「.」「..」でもなく、「/」「\」や制御文字を含まないタイトルにしてください。</source>
        <translation>&quot;%1&quot; cannot name a folder, so the crawl was not started.
Use a title that is not empty, &quot;.&quot; or &quot;..&quot; and holds no &quot;/&quot;, &quot;\&quot; or control character.</translation>
    </message>
</context>
<context>
    <name>ListFileDialog</name>
    <message>
        <source>Harvelリストファイル(*.hvl)</source>
        <translation>Harvel list files (*.hvl)</translation>
    </message>
</context>
<context>
    <name>MainFrm</name>
    <message>
        <source>細かく指定する(カンマ区切り)</source>
        <translation>Custom (comma-separated)</translation>
    </message>
    <message>
        <source>GIF</source>
        <translation>GIF</translation>
    </message>
    <message>
        <source>JPEG</source>
        <translation>JPEG</translation>
    </message>
    <message>
        <source>PNG</source>
        <translation>PNG</translation>
    </message>
    <message>
        <source>HTML</source>
        <translation>HTML</translation>
    </message>
    <message>
        <source>メールアドレス</source>
        <translation>E-mail</translation>
    </message>
    <message>
        <source>その他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>取得完了後フォルダを開く</source>
        <translation>Open the folder when done</translation>
    </message>
    <message>
        <source>バイナリファイル以外からリンク先を得る</source>
        <translation>Take links from all non-binary files</translation>
    </message>
    <message>
        <source>画像ファイルを優先的にダウンロード</source>
        <translation>Download pictures first</translation>
    </message>
    <message>
        <source>ファイル名が同じ場合連番をつける(上書きしない)</source>
        <translation>Number files of the same name (no overwrite)</translation>
    </message>
    <message>
        <source>CGI関連のファイルも巡回・取得する</source>
        <translation>Crawl and collect CGI files too</translation>
    </message>
    <message>
        <source>以下のURLを含むファイルのみダウンロード</source>
        <translation>Only download files whose URL contains</translation>
    </message>
    <message>
        <source>ページを詳しく解析する(srcset・CSS・遅延読み込み)</source>
        <translation>Read pages closely (srcset, CSS, lazy loading)</translation>
    </message>
</context>
<context>
    <name>RecordLine</name>
    <message>
        <source>時間切れ</source>
        <translation>timed out</translation>
    </message>
    <message>
        <source>接続を拒否されました</source>
        <translation>connection refused</translation>
    </message>
    <message>
        <source>接続が切れました</source>
        <translation>connection reset</translation>
    </message>
    <message>
        <source>途中で切れました</source>
        <translation>cut off</translation>
    </message>
    <message>
        <source>ホストが見つかりません</source>
        <translation>host not found</translation>
    </message>
    <message>
        <source>証明書を受け入れられません</source>
        <translation>certificate refused</translation>
    </message>
    <message>
        <source>ディスクがいっぱいです</source>
        <translation>disk full</translation>
    </message>
    <message>
        <source>ファイル名が長すぎます</source>
        <translation>name too long</translation>
    </message>
    <message>
        <source>書き込めません</source>
        <translation>cannot write</translation>
    </message>
    <message>
        <source>取得できないスキームです</source>
        <translation>refused scheme</translation>
    </message>
    <message>
        <source>大きすぎます</source>
        <translation>too large</translation>
    </message>
    <message>
        <source>遅すぎます</source>
        <translation>too slow</translation>
    </message>
    <message>
        <source>不正な要求です</source>
        <translation>bad request</translation>
    </message>
    <message>
        <source>ブラウザで表示できません</source>
        <translation>not rendered</translation>
    </message>
    <message>
        <source>ブラウザがありません</source>
        <translation>no browser</translation>
    </message>
    <message>
        <source>リンクが長すぎます</source>
        <translation>link too long</translation>
    </message>
    <message>
        <source>フォルダを作れません</source>
        <translation>folder cannot be made</translation>
    </message>
    <message>
        <source>メールアドレスを書き込めません</source>
        <translation>mail address cannot be written</translation>
    </message>
    <message>
        <source>不明</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>小さい画像 (%1)</source>
        <translation>too small (%1)</translation>
    </message>
    <message>
        <source>取得</source>
        <translation>landed</translation>
    </message>
    <message>
        <source>取得済み</source>
        <translation>already collected</translation>
    </message>
    <message>
        <source>変更なし</source>
        <translation>not modified</translation>
    </message>
    <message>
        <source>失敗 (%1)</source>
        <translation>failed (%1)</translation>
    </message>
    <message>
        <source> (ブラウザで表示、読み込んだ画像 %1)</source>
        <translation> (rendered, %1 pictures loaded)</translation>
    </message>
    <message>
        <source>, %1 バイト</source>
        <translation>, %1 bytes</translation>
    </message>
    <message>
        <source>, %1 秒</source>
        <translation>, %1 s</translation>
    </message>
    <message>
        <source>除外 (%1)</source>
        <translation>excluded (%1)</translation>
    </message>
</context>
<context>
    <name>SettingsDialog</name>
    <message>
        <source>詳細設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>TargetListModel</name>
    <message>
        <source>タイトル</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>レベル</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>フォルダ</source>
        <translation>Folder</translation>
    </message>
</context>
<context>
    <name>harvel::LastCrawlPanel</name>
    <message>
        <source>前回の巡回: 取得 %1 / 失敗 %2</source>
        <translation>Last crawl: %1 collected / %2 failed</translation>
    </message>
    <message>
        <source> / 取得済 %1</source>
        <translation> / %1 already collected</translation>
    </message>
    <message>
        <source> / 小さい画像 %1</source>
        <translation> / %1 too small</translation>
    </message>
    <message>
        <source> (中止)</source>
        <translation> (stopped)</translation>
    </message>
    <message>
        <source> / 除外 %1</source>
        <translation> / %1 excluded</translation>
    </message>
    <message>
        <source> / 再開 %1</source>
        <translation> / %1 resumed</translation>
    </message>
</context>
<context>
    <name>harvel::MainFrm</name>
    <message>
        <source>「%1」をリストから削除しますか?</source>
        <translation>Remove &quot;%1&quot; from the list?</translation>
    </message>
    <message>
        <source>収集リストを保存できませんでした。次に起動したときには今のリストが表示されません。

%1
%2</source>
        <translation>The collection list could not be saved. The next start will not show the list as it is now.

%1
%2</translation>
    </message>
    <message>
        <source>保存されていた収集リストを読み込めなかったため、最初のリストで始めます。読み込めなかったファイルは次の名前で残してあります。

%1</source>
        <translation>The saved collection list could not be read, so Harvel starts with the first list. The file that could not be read was kept under this name:

%1</translation>
    </message>
    <message>
        <source>ダウンロード用プログラム VeskDownloader を起動できませんでした。
このままではファイルを取得できません。

%1</source>
        <translation>The download program VeskDownloader could not be started.
No file can be collected without it.

%1</translation>
    </message>
    <message>
        <source>詳細設定の接続の設定を使えないため、巡回を始めませんでした。

%1</source>
        <translation>The connection settings cannot be used, so the crawl was not started.

%1</translation>
    </message>
    <message>
        <source>ダウンロード用プログラム VeskDownloader と通信できないため、巡回を中止しました。

%1</source>
        <translation>The download program VeskDownloader cannot be reached, so the crawl was stopped.

%1</translation>
    </message>
    <message>
        <source>「%1」の取得記録を消去しますか?

フォルダのファイルは消しません。次に「取得済みのファイルは取得しない」で巡回すると、記録にあったファイルももう一度取得します。</source>
        <translation>Forget the record of &quot;%1&quot;?

The files in the folder are not deleted. The next crawl with &quot;Only new files&quot; collects the recorded files again.</translation>
    </message>
    <message>
        <source>■収集リスト</source>
        <translation>■Collection</translation>
    </message>
    <message>
        <source>クリア</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>最大ファイルサイズ</source>
        <translation>Largest file</translation>
    </message>
    <message>
        <source>制限なし</source>
        <translation>No limit</translation>
    </message>
    <message>
        <source>最大ファイルサイズ(KB)</source>
        <translation>Largest file (KB)</translation>
    </message>
    <message>
        <source>優先度</source>
        <translation>Priority</translation>
    </message>
    <message>
        <source>速度</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>←高速・処理重い</source>
        <translation>←Fast, heavy load</translation>
    </message>
    <message>
        <source>低速・処理軽い→</source>
        <translation>Slow, light load→</translation>
    </message>
    <message>
        <source>HPを見に行く</source>
        <translation>Visit home page</translation>
    </message>
    <message>
        <source>同時ダウンロード数</source>
        <translation>Downloads at once</translation>
    </message>
    <message>
        <source>■個別設定</source>
        <translation>■Target</translation>
    </message>
    <message>
        <source>タイトル</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>リンクを追うレベル(0～5推奨)</source>
        <translation>Link level (0-5 advised)</translation>
    </message>
    <message>
        <source>ファイル取得</source>
        <translation>Get files</translation>
    </message>
    <message>
        <source>変更</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>追加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>■全体設定</source>
        <translation>■Options</translation>
    </message>
    <message>
        <source>リストをダブルクリックするか、リスト項目をクリック(選択)して「ファイル取得」を選んでください</source>
        <translation>Double-click a row of the list, or select it and choose &quot;Get files&quot;</translation>
    </message>
    <message>
        <source>フォルダを開く</source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>収集する形式</source>
        <translation>File types</translation>
    </message>
    <message>
        <source>その他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>リストファイルを開く(&amp;O)</source>
        <translation>&amp;Open list file...</translation>
    </message>
    <message>
        <source>リストファイルへ保存(&amp;S)</source>
        <translation>&amp;Save list file...</translation>
    </message>
    <message>
        <source>前回のフォルダを開く(&amp;D)</source>
        <translation>Open last &amp;folder</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>ファイル取得(&amp;G)</source>
        <translation>&amp;Get files</translation>
    </message>
    <message>
        <source>追加(&amp;A)</source>
        <translation>&amp;Add</translation>
    </message>
    <message>
        <source>変更(&amp;C)</source>
        <translation>&amp;Change</translation>
    </message>
    <message>
        <source>削除(&amp;D)</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>クリア(&amp;L)</source>
        <translation>C&amp;lear</translation>
    </message>
    <message>
        <source>取得記録を消去(&amp;R)</source>
        <translation>Forget &amp;record</translation>
    </message>
    <message>
        <source>ツール(&amp;T)</source>
        <translation>&amp;Tools</translation>
    </message>
    <message>
        <source>詳細設定(&amp;S)...</source>
        <translation>&amp;Settings...</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>最新版を確認(&amp;N)</source>
        <translation>Check for a &amp;new version</translation>
    </message>
    <message>
        <source>いろいろなソフトを公開しています(&amp;P)</source>
        <translation>More &amp;programs by the author</translation>
    </message>
    <message>
        <source>リストファイル「%1」を読み込めませんでした。</source>
        <translation>The list file &quot;%1&quot; could not be read.</translation>
    </message>
    <message>
        <source>リストファイル「%1」の %2 行を今のリストに追加しますか、今のリストと置き換えますか?</source>
        <translation>Add the %2 rows of the list file &quot;%1&quot; to the current list, or replace the current list with them?</translation>
    </message>
    <message>
        <source>置き換え</source>
        <translation>Replace</translation>
    </message>
    <message>
        <source>リストファイル「%1」に保存できませんでした。</source>
        <translation>The list could not be saved to the list file &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>フォルダを開けませんでした。

%1</source>
        <translation>The folder could not be opened.

%1</translation>
    </message>
</context>
<context>
    <name>harvel::SearchFrm</name>
    <message>
        <source>失敗</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>取得済</source>
        <translation>Collected before</translation>
    </message>
    <message>
        <source>小さい画像</source>
        <translation>Too small</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>巡回を中止します(ウィンドウを閉じるのと同じです)</source>
        <translation>Stops the crawl (the same as closing the window)</translation>
    </message>
    <message>
        <source>再開</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>一時停止</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>巡回を続けます</source>
        <translation>Goes on with the crawl</translation>
    </message>
    <message>
        <source>新しい取得を止めます(取得中のファイルは最後まで取得します)</source>
        <translation>Sends no new request (files under way are finished)</translation>
    </message>
    <message>
        <source>取得 %1 / 全体 %2</source>
        <translation>%1 of %2 collected</translation>
    </message>
    <message>
        <source>一時停止中</source>
        <translation>Paused</translation>
    </message>
    <message>
        <source>残り %1</source>
        <translation>%1 left</translation>
    </message>
    <message>
        <source>
%1 件/秒、残り約 %2</source>
        <translation>
%1 files/s, about %2 left</translation>
    </message>
    <message>
        <source>巡回中のリストに「%1」を追加しました</source>
        <translation>&quot;%1&quot; was added to the running crawl</translation>
    </message>
    <message>
        <source>除外</source>
        <translation>Excluded</translation>
    </message>
</context>
<context>
    <name>harvel::ThumbnailStrip</name>
    <message>
        <source>読み込み中</source>
        <translation>Reading</translation>
    </message>
    <message>
        <source>%1 × %2 ピクセル、</source>
        <translation>%1 × %2 pixels, </translation>
    </message>
    <message>
        <source>表示できない画像、</source>
        <translation>cannot be shown, </translation>
    </message>
    <message>
        <source>%1 バイト</source>
        <translation>%1 bytes</translation>
    </message>
</context>
<context>
    <name>harvel::UpDown</name>
    <message>
        <source>上へ</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>下へ</source>
        <translation>Down</translation>
    </message>
</context>
</TS>
