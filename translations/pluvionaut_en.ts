<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>Pluvionaut</name>
    <message>
        <source>0.25</source>
        <translation>0.25</translation>
    </message>
    <message>
        <source>0.5</source>
        <translation>0.5</translation>
    </message>
    <message>
        <source>1.0</source>
        <translation>1.0</translation>
    </message>
    <message>
        <source>1.5</source>
        <translation>1.5</translation>
    </message>
    <message>
        <source>2.0</source>
        <translation>2.0</translation>
    </message>
    <message>
        <source>3.0</source>
        <translation>3.0</translation>
    </message>
    <message>
        <source>4.0</source>
        <translation>4.0</translation>
    </message>
    <message>
        <source>5.0</source>
        <translation>5.0</translation>
    </message>
    <message>
        <source>6.0</source>
        <translation>6.0</translation>
    </message>
    <message>
        <source>ALL OFF</source>
        <translation>ALL OFF</translation>
    </message>
    <message>
        <source>ALL ON</source>
        <translation>ALL ON</translation>
    </message>
    <message>
        <source>CH #01</source>
        <translation>CH #01</translation>
    </message>
    <message>
        <source>CH #02</source>
        <translation>CH #02</translation>
    </message>
    <message>
        <source>CH #03</source>
        <translation>CH #03</translation>
    </message>
    <message>
        <source>CH #04</source>
        <translation>CH #04</translation>
    </message>
    <message>
        <source>CH #05</source>
        <translation>CH #05</translation>
    </message>
    <message>
        <source>CH #06</source>
        <translation>CH #06</translation>
    </message>
    <message>
        <source>CH #07</source>
        <translation>CH #07</translation>
    </message>
    <message>
        <source>CH #08</source>
        <translation>CH #08</translation>
    </message>
    <message>
        <source>CH #09</source>
        <translation>CH #09</translation>
    </message>
    <message>
        <source>CH #10 （ドラムチャンネル）</source>
        <translation>CH #10 (drum channel)</translation>
    </message>
    <message>
        <source>CH #11</source>
        <translation>CH #11</translation>
    </message>
    <message>
        <source>CH #12</source>
        <translation>CH #12</translation>
    </message>
    <message>
        <source>CH #13</source>
        <translation>CH #13</translation>
    </message>
    <message>
        <source>CH #14</source>
        <translation>CH #14</translation>
    </message>
    <message>
        <source>CH #15</source>
        <translation>CH #15</translation>
    </message>
    <message>
        <source>CH #16</source>
        <translation>CH #16</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>HI-SPEEDオプションだよ。</source>
        <translation>This is the HI-SPEED option!</translation>
    </message>
    <message>
        <source>HIDDEN</source>
        <translation>HIDDEN</translation>
    </message>
    <message>
        <source>HIDDEN/SUDDENオプションだよ。</source>
        <translation>This is the HIDDEN/SUDDEN option!</translation>
    </message>
    <message>
        <source>MIDI ファイル (*.mid;*rmi;*midi)|*.mid;*rmi;*midi|すべてのファイル (*.*)|*.*</source>
        <translation>MIDI files (*.mid;*rmi;*midi)|*.mid;*rmi;*midi|All files (*.*)|*.*</translation>
    </message>
    <message>
        <source>MIDIファイルを開く(&amp;O)...</source>
        <translation>&amp;Open MIDI File...</translation>
    </message>
    <message>
        <source>MIRROR</source>
        <translation>MIRROR</translation>
    </message>
    <message>
        <source>MIRROR/RANDOMオプションだよ。</source>
        <translation>This is the MIRROR/RANDOM option!</translation>
    </message>
    <message>
        <source>NORMAL</source>
        <translation>NORMAL</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>OFF</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>ON</translation>
    </message>
    <message>
        <source>RANDOM</source>
        <translation>RANDOM</translation>
    </message>
    <message>
        <source>S-RANDOM</source>
        <translation>S-RANDOM</translation>
    </message>
    <message>
        <source>SUDDEN</source>
        <translation>SUDDEN</translation>
    </message>
    <message>
        <source>∞</source>
        <translation>∞</translation>
    </message>
    <message>
        <source>えっ、帰るの？</source>
        <translation>Huh? You&apos;re leaving already?</translation>
    </message>
    <message>
        <source>エラー</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>オプション(&amp;O)</source>
        <translation>&amp;Options</translation>
    </message>
    <message>
        <source>ゲームの言葉を選べるよ。 / Pick the language of the game.</source>
        <translation>You can pick the language I talk in!</translation>
    </message>
    <message>
        <source>ゲームを中断するよ。</source>
        <translation>I&apos;ll stop the game here.</translation>
    </message>
    <message>
        <source>ゲームを始めるよ。</source>
        <translation>Let&apos;s start the game!</translation>
    </message>
    <message>
        <source>サウンド(&amp;S)</source>
        <translation>&amp;Sound</translation>
    </message>
    <message>
        <source>チャンネル01の音が雨として降ってくるよ。</source>
        <translation>The notes of channel 01 fall as rain.</translation>
    </message>
    <message>
        <source>チャンネル02の音が雨として降ってくるよ。</source>
        <translation>The notes of channel 02 fall as rain.</translation>
    </message>
    <message>
        <source>チャンネル03の音が雨として降ってくるよ。</source>
        <translation>The notes of channel 03 fall as rain.</translation>
    </message>
    <message>
        <source>チャンネル04の音が雨として降ってくるよ。</source>
        <translation>The notes of channel 04 fall as rain.</translation>
    </message>
    <message>
        <source>チャンネル05の音が雨として降ってくるよ。</source>
        <translation>The notes of channel 05 fall as rain.</translation>
    </message>
    <message>
        <source>チャンネル06の音が雨として降ってくるよ。</source>
        <translation>The notes of channel 06 fall as rain.</translation>
    </message>
    <message>
        <source>チャンネル07の音が雨として降ってくるよ。</source>
        <translation>The notes of channel 07 fall as rain.</translation>
    </message>
    <message>
        <source>チャンネル08の音が雨として降ってくるよ。</source>
        <translation>The notes of channel 08 fall as rain.</translation>
    </message>
    <message>
        <source>チャンネル09の音が雨として降ってくるよ。</source>
        <translation>The notes of channel 09 fall as rain.</translation>
    </message>
    <message>
        <source>チャンネル10の音が雨として降ってくるよ。</source>
        <translation>The notes of channel 10 fall as rain.</translation>
    </message>
    <message>
        <source>チャンネル11の音が雨として降ってくるよ。</source>
        <translation>The notes of channel 11 fall as rain.</translation>
    </message>
    <message>
        <source>チャンネル12の音が雨として降ってくるよ。</source>
        <translation>The notes of channel 12 fall as rain.</translation>
    </message>
    <message>
        <source>チャンネル13の音が雨として降ってくるよ。</source>
        <translation>The notes of channel 13 fall as rain.</translation>
    </message>
    <message>
        <source>チャンネル14の音が雨として降ってくるよ。</source>
        <translation>The notes of channel 14 fall as rain.</translation>
    </message>
    <message>
        <source>チャンネル15の音が雨として降ってくるよ。</source>
        <translation>The notes of channel 15 fall as rain.</translation>
    </message>
    <message>
        <source>チャンネル16の音が雨として降ってくるよ。</source>
        <translation>The notes of channel 16 fall as rain.</translation>
    </message>
    <message>
        <source>バーの長さ</source>
        <translation>Bar Length</translation>
    </message>
    <message>
        <source>バーの長さが無限大になるよ。</source>
        <translation>The bar stretches out forever!</translation>
    </message>
    <message>
        <source>バーの長さが通常になるよ。</source>
        <translation>The bar gets its normal length.</translation>
    </message>
    <message>
        <source>バーの長さが通常の0.5倍になるよ。</source>
        <translation>The bar grows to 0.5 times its normal length.</translation>
    </message>
    <message>
        <source>バーの長さが通常の2.0倍になるよ。</source>
        <translation>The bar grows to 2.0 times its normal length.</translation>
    </message>
    <message>
        <source>バーの長さが通常の3.0倍になるよ。</source>
        <translation>The bar grows to 3.0 times its normal length.</translation>
    </message>
    <message>
        <source>バーの長さが通常の4.0倍になるよ。</source>
        <translation>The bar grows to 4.0 times its normal length.</translation>
    </message>
    <message>
        <source>バーの長さを変えられるようになったよ、お兄ちゃん！<byte value="xd"/>
[オプション]メニューの[バーの長さ]から選んでね。</source>
        <translation>Now you can change the bar length, big brother!<byte value="xd"/>
Pick one from [Options] &gt; [Bar Length].</translation>
    </message>
    <message>
        <source>バーの長さを変更できるよ。ゲームバランスが壊れてしまうよ。</source>
        <translation>You can change the bar&apos;s length. It breaks the game balance, though!</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>ファイルの読み込みに失敗しちゃった…。<byte value="xd"/>
ごめんね、お兄ちゃん。</source>
        <translation>I couldn&apos;t read that file...<byte value="xd"/>
Sorry, big brother.</translation>
    </message>
    <message>
        <source>プレイするチャンネル</source>
        <translation>Channels to Play</translation>
    </message>
    <message>
        <source>プレイするチャンネルを変えられるようになったよ、お兄ちゃん！<byte value="xd"/>
[オプション]メニューの[プレイするチャンネル]から選んでね。</source>
        <translation>Now you can choose the channels to play, big brother!<byte value="xd"/>
Pick them from [Options] &gt; [Channels to Play].</translation>
    </message>
    <message>
        <source>ルフナボイス</source>
        <translation>Rufuna&apos;s Voice</translation>
    </message>
    <message>
        <source>停止(&amp;S)</source>
        <translation>&amp;Stop</translation>
    </message>
    <message>
        <source>全てのチャンネルの音が雨として降ってくるようになるよ。</source>
        <translation>The notes of every channel fall as rain.</translation>
    </message>
    <message>
        <source>全てのチャンネルの音が雨として降ってこないようになるよ。</source>
        <translation>No channel&apos;s notes fall as rain.</translation>
    </message>
    <message>
        <source>再生(&amp;P)</source>
        <translation>&amp;Play</translation>
    </message>
    <message>
        <source>好きなMIDIファイルを使ってプレイできるようになったよ、お兄ちゃん！<byte value="xd"/>
[ファイル]メニューの[MIDIファイルを開く]でダイアログを表示して、MIDIファイルを選んでね。<byte value="xd"/>
ドラッグアンドドロップでもMIDIファイルを開けるよ。</source>
        <translation>Now you can play with any MIDI file you like, big brother!<byte value="xd"/>
Open the dialog with [File] &gt; [Open MIDI File...] and pick a MIDI file.<byte value="xd"/>
You can also drag and drop a MIDI file onto the window.</translation>
    </message>
    <message>
        <source>日本語</source>
        <translation>日本語</translation>
    </message>
    <message>
        <source>日本語でお話しするよ。 / I&apos;ll talk in Japanese.</source>
        <translation>I&apos;ll talk to you in Japanese.</translation>
    </message>
    <message>
        <source>曲の速さを変更できるよ。</source>
        <translation>You can change how fast the song plays.</translation>
    </message>
    <message>
        <source>曲を通常の0.5倍の速さで再生するよ。</source>
        <translation>I&apos;ll play the song at 0.5 times the normal speed.</translation>
    </message>
    <message>
        <source>曲を通常の1.5倍の速さで再生するよ。</source>
        <translation>I&apos;ll play the song at 1.5 times the normal speed.</translation>
    </message>
    <message>
        <source>曲を通常の2.0倍の速さで再生するよ。</source>
        <translation>I&apos;ll play the song at 2.0 times the normal speed.</translation>
    </message>
    <message>
        <source>曲を通常の速さで再生するよ。</source>
        <translation>I&apos;ll play the song at its normal speed.</translation>
    </message>
    <message>
        <source>私の声のON/OFFを変更できるよ。できればOFFにしてほしくないけど。</source>
        <translation>You can turn my voice ON or OFF. I&apos;d rather you left it ON, though...</translation>
    </message>
    <message>
        <source>私の声の再生をOFFにするよ。</source>
        <translation>I&apos;ll keep my voice quiet.</translation>
    </message>
    <message>
        <source>私の声の再生をONにするよ。</source>
        <translation>I&apos;ll talk to you out loud!</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>英語でお話しするよ。 / I&apos;ll talk in English.</source>
        <translation>I&apos;ll talk to you in English.</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>言語 / Language</source>
        <translation>言語 / Language</translation>
    </message>
    <message>
        <source>通常の0.25倍の速さで雨が降ってくるよ。</source>
        <translation>The rain falls at 0.25 times the normal speed.</translation>
    </message>
    <message>
        <source>通常の0.5倍の速さで雨が降ってくるよ。</source>
        <translation>The rain falls at 0.5 times the normal speed.</translation>
    </message>
    <message>
        <source>通常の2.0倍の速さで雨が降ってくるよ。</source>
        <translation>The rain falls at 2.0 times the normal speed.</translation>
    </message>
    <message>
        <source>通常の3.0倍の速さで雨が降ってくるよ。</source>
        <translation>The rain falls at 3.0 times the normal speed.</translation>
    </message>
    <message>
        <source>通常の4.0倍の速さで雨が降ってくるよ。</source>
        <translation>The rain falls at 4.0 times the normal speed.</translation>
    </message>
    <message>
        <source>通常の5.0倍の速さで雨が降ってくるよ。</source>
        <translation>The rain falls at 5.0 times the normal speed.</translation>
    </message>
    <message>
        <source>通常の6.0倍の速さで雨が降ってくるよ。</source>
        <translation>The rain falls at 6.0 times the normal speed.</translation>
    </message>
    <message>
        <source>通常の速さで雨が降ってくるよ。</source>
        <translation>The rain falls at its normal speed.</translation>
    </message>
    <message>
        <source>隠し機能出現！</source>
        <translation>New feature unlocked!</translation>
    </message>
    <message>
        <source>雨が途中から消えるよ。</source>
        <translation>The rain vanishes halfway down.</translation>
    </message>
    <message>
        <source>雨が途中まで現れないよ。</source>
        <translation>The rain stays hidden until halfway down.</translation>
    </message>
    <message>
        <source>雨が通常の位置に降ってくるよ。</source>
        <translation>The rain falls in its usual places.</translation>
    </message>
    <message>
        <source>雨が降ってくる位置がランダムになるよ。</source>
        <translation>The rain falls in shuffled places.</translation>
    </message>
    <message>
        <source>雨が降ってくる位置が各水滴ごとにランダムになるよ。</source>
        <translation>Every single drop falls in a random place.</translation>
    </message>
    <message>
        <source>雨が降ってくる位置が左右逆になるよ。</source>
        <translation>The rain falls mirrored, left to right.</translation>
    </message>
    <message>
        <source>雨として降ってくるかどうかをチャンネルごとに決められるよ。</source>
        <translation>You can choose for each channel whether it falls as rain.</translation>
    </message>
    <message>
        <source>雨として降ってくる曲を選択できるよ。</source>
        <translation>You can pick the song that falls as rain!</translation>
    </message>
    <message>
        <source>雨の落下スピード</source>
        <translation>Rain Speed</translation>
    </message>
    <message>
        <source>雨の落下スピードを変えられるようになったよ、お兄ちゃん！<byte value="xd"/>
[オプション]メニューの[雨の落下スピード]から選んでね。</source>
        <translation>Now you can change the rain speed, big brother!<byte value="xd"/>
Pick one from [Options] &gt; [Rain Speed].</translation>
    </message>
    <message>
        <source>雨の落下位置</source>
        <translation>Rain Position</translation>
    </message>
    <message>
        <source>雨の落下位置を変えられるようになったよ、お兄ちゃん！<byte value="xd"/>
[オプション]メニューの[雨の落下位置]から選んでね。</source>
        <translation>Now you can change where the rain falls, big brother!<byte value="xd"/>
Pick one from [Options] &gt; [Rain Position].</translation>
    </message>
    <message>
        <source>雨の表示方法</source>
        <translation>Rain Display</translation>
    </message>
    <message>
        <source>雨の表示方法を変えられるようになったよ、お兄ちゃん！<byte value="xd"/>
[オプション]メニューの[雨の表示方法]から選んでね。</source>
        <translation>Now you can change how the rain is shown, big brother!<byte value="xd"/>
Pick one from [Options] &gt; [Rain Display].</translation>
    </message>
    <message>
        <source>音楽の再生スピード</source>
        <translation>Music Speed</translation>
    </message>
    <message>
        <source>音楽の再生スピードを変えられるようになったよ、お兄ちゃん！<byte value="xd"/>
[オプション]メニューの[音楽の再生スピード]から選んでね。</source>
        <translation>Now you can change the music speed, big brother!<byte value="xd"/>
Pick one from [Options] &gt; [Music Speed].</translation>
    </message>
    <message>
        <source>%1 ミリ秒</source>
        <translation>%1 ms</translation>
    </message>
    <message>
        <source>%1 ミリ秒ずれてるみたい。この値でよければ決めてね。スライダーで直してもいいよ。</source>
        <translation>Looks like you&apos;re %1 ms off. If that&apos;s right, take it! You can fine-tune it with the slider, too.</translation>
    </message>
    <message>
        <source>0%</source>
        <translation>0%</translation>
    </message>
    <message>
        <source>100%</source>
        <translation>100%</translation>
    </message>
    <message>
        <source>25%</source>
        <translation>25%</translation>
    </message>
    <message>
        <source>50%</source>
        <translation>50%</translation>
    </message>
    <message>
        <source>75%</source>
        <translation>75%</translation>
    </message>
    <message>
        <source>MIDI出力</source>
        <translation>MIDI Output</translation>
    </message>
    <message>
        <source>MIDI出力「%1」が使えないから、内蔵シンセで鳴らすね。</source>
        <translation>I can&apos;t use MIDI output &quot;%1&quot;, so I&apos;ll use my own synth.</translation>
    </message>
    <message>
        <source>MIDI出力「%1」がなくなったから、内蔵シンセで鳴らすね。</source>
        <translation>MIDI output &quot;%1&quot; is gone, so I&apos;ll use my own synth.</translation>
    </message>
    <message>
        <source>あと %1 回合わせてね。</source>
        <translation>Just %1 more taps!</translation>
    </message>
    <message>
        <source>いつもの出力から音を出すよ。</source>
        <translation>I&apos;ll play through the usual output.</translation>
    </message>
    <message>
        <source>いつもの大きさのウィンドウで遊ぶよ。</source>
        <translation>Let&apos;s play in the usual window size.</translation>
    </message>
    <message>
        <source>このサウンドフォントで曲を鳴らすよ。</source>
        <translation>I&apos;ll play the songs with this SoundFont.</translation>
    </message>
    <message>
        <source>この値にする</source>
        <translation>Use this value</translation>
    </message>
    <message>
        <source>なめらかに拡大</source>
        <translation>Smooth Scaling</translation>
    </message>
    <message>
        <source>ほかのウィンドウに移ったら、ゲームを一時停止して待ってるね。</source>
        <translation>When you switch windows, I&apos;ll pause the game and wait for you.</translation>
    </message>
    <message>
        <source>やめる</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>やり直す</source>
        <translation>Start over</translation>
    </message>
    <message>
        <source>ウィンドウ ×1</source>
        <translation>Window x1</translation>
    </message>
    <message>
        <source>ウィンドウ ×2</source>
        <translation>Window x2</translation>
    </message>
    <message>
        <source>ウィンドウ ×3</source>
        <translation>Window x3</translation>
    </message>
    <message>
        <source>ウィンドウを2倍の大きさにするよ。</source>
        <translation>I&apos;ll make the window twice as big.</translation>
    </message>
    <message>
        <source>ウィンドウを3倍の大きさにするよ。大きな画面向けだね。</source>
        <translation>I&apos;ll make the window three times as big. Great for big screens!</translation>
    </message>
    <message>
        <source>オーディオ出力</source>
        <translation>Audio Output</translation>
    </message>
    <message>
        <source>カッ、カッて音が聞こえたら、そのたびにスペースキーかクリックで合わせてね。</source>
        <translation>Every time you hear the click-click, press Space or click along with it!</translation>
    </message>
    <message>
        <source>ゲームに入っているシンセサイザーで鳴らすよ。</source>
        <translation>I&apos;ll play through the synthesizer built into the game.</translation>
    </message>
    <message>
        <source>ゲームをちょっとお休みするよ。もう一度選ぶと続きからだよ。</source>
        <translation>Let&apos;s take a little break. Choose it again to carry on where we left off.</translation>
    </message>
    <message>
        <source>サウンドフォント</source>
        <translation>SoundFont</translation>
    </message>
    <message>
        <source>サウンドフォント (*.sf2 *.sf3)</source>
        <translation>SoundFonts (*.sf2 *.sf3)</translation>
    </message>
    <message>
        <source>サウンドフォント「%1」は読み込めなかったよ。今までの音色のままにしておくね。</source>
        <translation>I couldn&apos;t load the SoundFont &quot;%1&quot;. I&apos;ll keep the sounds we had.</translation>
    </message>
    <message>
        <source>サウンドフォントのファイルを自分で選べるよ。</source>
        <translation>You can pick a SoundFont file yourself.</translation>
    </message>
    <message>
        <source>サウンドフォントを切り替えたよ。</source>
        <translation>I switched the SoundFont!</translation>
    </message>
    <message>
        <source>サウンドフォントを読み込んでいるよ。ちょっと待ってね。</source>
        <translation>I&apos;m loading the SoundFont. Just a moment!</translation>
    </message>
    <message>
        <source>サウンドフォントを選んでね</source>
        <translation>Pick a SoundFont</translation>
    </message>
    <message>
        <source>タイミング調整</source>
        <translation>Timing Adjustment</translation>
    </message>
    <message>
        <source>タイミング調整...</source>
        <translation>&amp;Timing Adjustment...</translation>
    </message>
    <message>
        <source>ファイルから選ぶ...</source>
        <translation>Choose a File...</translation>
    </message>
    <message>
        <source>フルスクリーン</source>
        <translation>Full Screen</translation>
    </message>
    <message>
        <source>プレイ記録...</source>
        <translation>Play &amp;Records...</translation>
    </message>
    <message>
        <source>ボイスの音量</source>
        <translation>Voice Volume</translation>
    </message>
    <message>
        <source>一時停止(&amp;A)</source>
        <translation>P&amp;ause</translation>
    </message>
    <message>
        <source>今までに遊んだ曲とスコアを見られるよ。</source>
        <translation>You can look at the songs you&apos;ve played and your scores.</translation>
    </message>
    <message>
        <source>内蔵シンセサイザー</source>
        <translation>Built-in Synthesizer</translation>
    </message>
    <message>
        <source>大きくした絵をなめらかにするよ。OFFならくっきりしたドットのままだよ。</source>
        <translation>I&apos;ll smooth out the enlarged picture. When it&apos;s OFF, the pixels stay crisp.</translation>
    </message>
    <message>
        <source>既定</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>曲の音を消すよ。ちょっとさびしいね。</source>
        <translation>I&apos;ll mute the music. It gets a little lonely, though.</translation>
    </message>
    <message>
        <source>曲の音量をうんと小さくするよ。</source>
        <translation>I&apos;ll turn the music way down.</translation>
    </message>
    <message>
        <source>曲の音量をちょっとだけ下げるよ。</source>
        <translation>I&apos;ll turn the music down a little.</translation>
    </message>
    <message>
        <source>曲の音量を半分にするよ。</source>
        <translation>I&apos;ll play the music at half volume.</translation>
    </message>
    <message>
        <source>曲の音量を変えられるよ。</source>
        <translation>You can change the music volume.</translation>
    </message>
    <message>
        <source>曲をいつもの音量で鳴らすよ。</source>
        <translation>I&apos;ll play the music at the usual volume.</translation>
    </message>
    <message>
        <source>曲を開けるのは、一回遊んでからだよ。まずはチュートリアルをやってみてね。</source>
        <translation>You can open songs after you&apos;ve played once. Try the tutorial first!</translation>
    </message>
    <message>
        <source>曲を鳴らす音源を選べるよ。外の音源もつなげるよ。</source>
        <translation>You can choose what plays the songs. External synthesizers work too!</translation>
    </message>
    <message>
        <source>曲を鳴らす音色のセットを選べるよ。</source>
        <translation>You can choose the set of sounds the songs are played with.</translation>
    </message>
    <message>
        <source>最近使った曲</source>
        <translation>Recent Songs</translation>
    </message>
    <message>
        <source>最近遊んだ曲をすぐに開けるよ。</source>
        <translation>You can quickly open a song you played recently.</translation>
    </message>
    <message>
        <source>画面いっぱいで遊ぶよ。F11でも切り替えられるよ。</source>
        <translation>Let&apos;s play on the whole screen! F11 switches it too.</translation>
    </message>
    <message>
        <source>画面に収まるいちばん大きなウィンドウにするよ。</source>
        <translation>I&apos;ll make the window as big as fits on the screen.</translation>
    </message>
    <message>
        <source>画面に合わせる</source>
        <translation>Fit to Screen</translation>
    </message>
    <message>
        <source>私の声の大きさを変えられるよ。</source>
        <translation>You can change how loud my voice is.</translation>
    </message>
    <message>
        <source>私の声をいつもの大きさで聞かせるよ。</source>
        <translation>You&apos;ll hear my voice at the usual volume.</translation>
    </message>
    <message>
        <source>私の声をちょっとだけ小さくするよ。</source>
        <translation>I&apos;ll talk a little more quietly.</translation>
    </message>
    <message>
        <source>私の声をひそひそ声にするよ。</source>
        <translation>I&apos;ll whisper.</translation>
    </message>
    <message>
        <source>私の声を半分の大きさにするよ。</source>
        <translation>I&apos;ll talk at half volume.</translation>
    </message>
    <message>
        <source>私の声を消すよ。できれば聞いてほしいけど。</source>
        <translation>I&apos;ll go silent. I&apos;d rather you listened, though...</translation>
    </message>
    <message>
        <source>選んだオーディオ出力が開けなかったから、いつもの出力で鳴らすね。</source>
        <translation>I couldn&apos;t open the audio output you chose, so I&apos;ll use the usual one.</translation>
    </message>
    <message>
        <source>非アクティブ時に一時停止</source>
        <translation>Pause When Inactive</translation>
    </message>
    <message>
        <source>音と雨のタイミングを、お兄ちゃんの環境に合わせるよ。</source>
        <translation>I&apos;ll line up the sound and the rain for your setup, big brother.</translation>
    </message>
    <message>
        <source>音を出す機械を選べるよ。</source>
        <translation>You can choose the device the sound comes out of.</translation>
    </message>
    <message>
        <source>音を出せる機械が見つからないから、今日は音なしで遊んでね。</source>
        <translation>Nothing here can play sound, so let&apos;s play without it today.</translation>
    </message>
    <message>
        <source>音楽の音量</source>
        <translation>Music Volume</translation>
    </message>
    <message>
        <source>（まだないよ）</source>
        <translation>(nothing yet)</translation>
    </message>
    <message>
        <source>この曲のファイルが見つからないよ…。動かしちゃった？</source>
        <translation>I can&apos;t find this song&apos;s file... Did you move it?</translation>
    </message>
    <message>
        <source>まだ記録がないよ。1曲遊んでみてね！</source>
        <translation>No records yet. Play a song first!</translation>
    </message>
    <message>
        <source>オプション</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>ファイル名</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>プレイ記録</source>
        <translation>Play Records</translation>
    </message>
    <message>
        <source>プレイ記録のファイルが使えなくなっちゃった…。<byte value="xd"/>
ゲームはこのまま遊べるけど、記録はお休みするね。ごめんね、お兄ちゃん。</source>
        <translation>I can&apos;t use the play records file anymore...<byte value="xd"/>
You can keep playing, but I&apos;ll stop keeping records. Sorry, big brother.</translation>
    </message>
    <message>
        <source>プレイ記録はお休み中だよ。</source>
        <translation>Play records are taking a break.</translation>
    </message>
    <message>
        <source>ベスト</source>
        <translation>Best</translation>
    </message>
    <message>
        <source>日時</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>曲名</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>曲名やファイル名でしぼりこめるよ。</source>
        <translation>You can filter by title or file name.</translation>
    </message>
    <message>
        <source>最大コンボ</source>
        <translation>Max combo</translation>
    </message>
    <message>
        <source>最後に遊んだ日</source>
        <translation>Last played</translation>
    </message>
    <message>
        <source>遊んだ回数</source>
        <translation>Games</translation>
    </message>
    <message>
        <source>選んだ曲の記録だよ。ダブルクリックでその曲を開くよ。</source>
        <translation>These are the games of the song you picked. Double-click a song to open it.</translation>
    </message>
    <message>
        <source>このMIDI出力に曲を送るよ。</source>
        <translation>I&apos;ll send the songs to this MIDI output.</translation>
    </message>
    <message>
        <source>この機械から音を出すよ。</source>
        <translation>I&apos;ll play the sound through this device.</translation>
    </message>
    <message>
        <source>こんどは音なしだよ。四角が光ったら、そのたびにスペースキーかクリックで合わせてね。</source>
        <translation>No sound this time. Each time the square lights up, press Space or click to match it.</translation>
    </message>
    <message>
        <source>オーディオ出力が戻ってきたから、つなぎ直したよ。</source>
        <translation>The audio output is back, so I&apos;ve connected to it again.</translation>
    </message>
    <message>
        <source>オーディオ出力が音を受け取らなくなっちゃった。戻ってきたら、つなぎ直すね。</source>
        <translation>The audio output stopped taking sound. I&apos;ll reconnect when it&apos;s back.</translation>
    </message>
    <message>
        <source>%1にするキーを押してね。</source>
        <translation>Press the key you want for %1.</translation>
    </message>
    <message>
        <source>これにする</source>
        <translation>Use these</translation>
    </message>
    <message>
        <source>そのキーはもう%1で使ってるよ。ほかのキーにしてね。</source>
        <translation>That key is already the %1. Pick another one, okay?</translation>
    </message>
    <message>
        <source>キーを待ってるよ…</source>
        <translation>Waiting for a key...</translation>
    </message>
    <message>
        <source>スティックをこれより小さく倒しても、バーは動かないよ。</source>
        <translation>Tilting the stick less than this won&apos;t move the bar.</translation>
    </message>
    <message>
        <source>ダッシュキー</source>
        <translation>Dash key</translation>
    </message>
    <message>
        <source>パッドの遊び</source>
        <translation>Pad dead zone</translation>
    </message>
    <message>
        <source>ボタンを押してから、使いたいキーを押してね。</source>
        <translation>Click a button, then press the key you want to use.</translation>
    </message>
    <message>
        <source>キーボードやゲームパッドでもバーを動かせるよ。キーはここで決めてね。</source>
        <translation>Move the bar with keys or a gamepad too. Choose your keys here.</translation>
    </message>
    <message>
        <source>一時停止キー</source>
        <translation>Pause key</translation>
    </message>
    <message>
        <source>右キー</source>
        <translation>Right key</translation>
    </message>
    <message>
        <source>左キー</source>
        <translation>Left key</translation>
    </message>
    <message>
        <source>操作の設定</source>
        <translation>Controls</translation>
    </message>
    <message>
        <source>操作の設定...</source>
        <translation>&amp;Controls...</translation>
    </message>
    <message>
        <source>キーボード</source>
        <translation>Keyboard</translation>
    </message>
    <message>
        <source>ゲームパッド</source>
        <translation>Gamepad</translation>
    </message>
    <message>
        <source>マウス</source>
        <translation>Mouse</translation>
    </message>
    <message>
        <source>操作</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>%1回目: Good %2 / Bad %3</source>
        <translation>Pass %1: Good %2 / Bad %3</translation>
    </message>
    <message>
        <source>好きなところから、何度でも練習できるよ。区間は [ と ] で決めてね。</source>
        <translation>Practise any part again and again. Mark it with [ and ].</translation>
    </message>
    <message>
        <source>練習モード</source>
        <translation>Practice mode</translation>
    </message>
    <message>
        <source>練習中: 速さ %1%</source>
        <translation>Practising: speed %1%</translation>
    </message>
    <message>
        <source>（速さ %1%）</source>
        <translation> (speed %1%)</translation>
    </message>
    <message>
        <source>練習 %1〜%2 (%3%)</source>
        <translation>Practice %1-%2 (%3%)</translation>
    </message>
    <message>
        <source>練習の記録も表示</source>
        <translation>Show practice games too</translation>
    </message>
    <message>
        <source>難易度 %1</source>
        <translation>DIFFICULTY %1</translation>
    </message>
    <message>
        <source>難易度</source>
        <translation>Difficulty</translation>
    </message>
    <message>
        <source>%1 / %2曲</source>
        <translation>%1 / %2 songs</translation>
    </message>
    <message>
        <source>BPM</source>
        <translation>BPM</translation>
    </message>
    <message>
        <source>このファイル、見つからなくなっちゃった…。</source>
        <translation>This file has gone missing...</translation>
    </message>
    <message>
        <source>この曲は読めなかったよ: %1</source>
        <translation>I couldn't read this song: %1</translation>
    </message>
    <message>
        <source>そのファイル、なくなっちゃったみたい…。再スキャンしてみてね。</source>
        <translation>That file seems to be gone... Try Rescan.</translation>
    </message>
    <message>
        <source>はずす</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>わからない条件: %1</source>
        <translation>I don't understand: %1</translation>
    </message>
    <message>
        <source>スキャンをやめたよ。続きは「再スキャン」でね。</source>
        <translation>I stopped scanning. Press Rescan to go on.</translation>
    </message>
    <message>
        <source>ノーツ</source>
        <translation>Notes</translation>
    </message>
    <message>
        <source>再スキャン</source>
        <translation>Rescan</translation>
    </message>
    <message>
        <source>曲フォルダ</source>
        <translation>Song folders</translation>
    </message>
    <message>
        <source>曲フォルダがまだないよ。「追加...」で教えてね！</source>
        <translation>No song folders yet. Tell me one with Add...!</translation>
    </message>
    <message>
        <source>曲フォルダにMIDIファイルが見つからなかったよ。</source>
        <translation>I found no MIDI files in the song folders.</translation>
    </message>
    <message>
        <source>曲フォルダの曲から選んで遊べるよ。</source>
        <translation>Pick a song from your song folders.</translation>
    </message>
    <message>
        <source>曲フォルダを読んでいるよ… %v / %m</source>
        <translation>Reading the song folders... %v / %m</translation>
    </message>
    <message>
        <source>曲フォルダを選んでね</source>
        <translation>Choose a song folder</translation>
    </message>
    <message>
        <source>曲ライブラリ</source>
        <translation>Song Library</translation>
    </message>
    <message>
        <source>曲ライブラリ(&amp;L)...</source>
        <translation>Song &amp;Library...</translation>
    </message>
    <message>
        <source>曲ライブラリはお休み中だよ。記録のファイルが読めないみたい…。ゲームはそのまま遊べるよ。</source>
        <translation>The song library is off: I can't read the records file... The game still plays.</translation>
    </message>
    <message>
        <source>曲名やファイル名、star&gt;3 length&lt;2:30 bpm&gt;=140 played=0 notes&gt;500 でしぼりこめるよ。</source>
        <translation>Narrow by title or file name, or star&gt;3 length&lt;2:30 bpm&gt;=140 played=0 notes&gt;500.</translation>
    </message>
    <message>
        <source>読めなかったフォルダがあるよ: %1</source>
        <translation>I couldn't read some folders: %1</translation>
    </message>
    <message>
        <source>追加...</source>
        <translation>Add...</translation>
    </message>
    <message>
        <source>長さ</source>
        <translation>Length</translation>
    </message>
    <message>
        <source>難しさ</source>
        <translation>Difficulty</translation>
    </message>
</context>
</TS>
