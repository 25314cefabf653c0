// Every text the page shows, one table per language. Texts that come from
// the disks and from d88info's report (format names, media types, disk
// names) are data and are shown as they are.
'use strict';

const strings = {
  en: {
    locale: 'en',
    pageTitle: 'd88cut in the browser',
    switchTo: '日本語',
    switchToLocale: 'ja',
    intro: 'Give it a PC-98 disk image (D88, HDM, FDI, NFD, DCP or a flux dump, also inside a ZIP ' +
      'or gzip file): it says whether each image is disk A or disk B of the title and lets you save ' +
      'BIOS98 and MUS00 to MUS15, byte for byte what d88cut writes. Everything runs on this ' +
      'page: nothing is uploaded.',
    chooser: 'Choose disk images, or drop them here',
    chooserHint: 'One or more files or a folder: disk images, flux dumps (a KryoFlux dump as all ' +
      'its track files), or ZIP and gzip files holding them.',
    privacy: 'The files never leave this page; it works offline, even opened straight from disk.',
    noWorker: 'This browser starts no worker for the page here, so the files are read on the ' +
      'page itself: it may pause while a large file is read.',
    includeDamaged: 'Include damaged files when saving (read in part, or holding sectors the ' +
      'image records as misread; what could not be read is zeros)',
    results: 'Results',
    reading: 'Reading…',
    couldNotRead: (why) => `Could not be read: ${why}`,
    bytes: (n) => `${n} bytes`,
    took: (ms) => `analysed and cut in ${ms} ms`,
    images: (n) => `${n} image${n === 1 ? '' : 's'}`,
    pastLimit: 'and more past the 64th, not read',
    zipArchive: 'ZIP archive',
    gzipFile: 'gzip file',
    inside: (n) => `${n} file${n === 1 ? '' : 's'} inside`,
    tooLarge: (name, limit) => `${name}: left unpacked, larger than ${limit}.`,
    notImage: (kind, reason) => `${kind[0].toUpperCase()}${kind.slice(1)}: ${reason}.`,
    imageHeading: (number, count, name) => `Image ${number} of ${count}: “${name}”`,
    imageFacts: (type, meaning, size, tracks) =>
      `Media type 0x${type} (${meaning}), ${size}, ${tracks} tracks recorded.`,
    diskOfTitle: (letter) => `Disk ${letter} of the title`,
    neitherDisk: 'Neither disk of the title.',
    signatureFound: (disk, text, where) => `Disk ${disk} signature “${text}” found in ${where}.`,
    signatureLookedFor: (disk, where, finding) =>
      `Disk ${disk} signature looked for in ${where}: ${finding}`,
    sectorAt: (s, offset) =>
      `track ${s.track} (C ${s.c} H ${s.h} R ${s.r} N ${s.n}) at byte ${offset}`,
    missing: 'the sector is not on this disk.',
    short: (size) => `the sector holds only ${size}.`,
    different: (expected, found, hex) =>
      `different text. Expected “${expected}”, found “${found}” (${hex}).`,
    allComplete: (n) => (n === 1 ? 'its file complete' : `all ${n} files complete`),
    someComplete: (n, total) => `${n} of ${total} files complete`,
    readInPart: (names) => `${names} read in part`,
    recordedErrors: (names) => `${names} with recorded read errors`,
    notRead: (names) => `${names} not read`,
    outcome: (parts) => parts.join('; '),
    parts: (parts) => parts.join(', '),
    summary: (parts, took) => `${parts.join(', ')} — ${took}.`,
    verdict: (disk, outcome) => `${disk}: ${outcome}.`,
    rangeJoin: '–',
    nameJoin: ', ',
    filesHeading: 'Files d88cut writes',
    noFiles: 'None: no image is one of the title’s disks.',
    columns: ['File', 'Size', 'State', 'SHA-256', 'Save'],
    complete: 'complete',
    damagedInPart: (read, length) => `damaged: ${read} of ${length} read`,
    damagedErrors: 'damaged: sectors recorded as misread',
    unread: 'not read',
    noSize: '—',
    save: 'Save',
    saveNamed: (name) => `Save ${name}`,
    fullHash: 'Show all',
    shortHash: 'Shorten',
    hashOf: (name) => ` (the SHA-256 of ${name}, also copied)`,
    saveAll: (zip) => `Save all as ${zip}`,
    saves: (n, damaged) => `Saves ${n} file${n === 1 ? '' : 's'}` +
      (damaged ? ` (${damaged} damaged, with zeros for what could not be read)` : ''),
    leavesOut: (list) => `; leaves out ${list}`,
    leftDamaged: (names) => `${names} (damaged)`,
    leftUnread: (names) => `${names} (not read)`,
    sentenceEnd: '.',
    damagedHint: 'A damaged file is saved, with zeros for what could not be read, only when ' +
      'you tick “Include damaged files”.',
    consoleHeading: 'What d88cut prints',
    consoleEmpty: '(nothing)',
    disk: (letter) => `disk ${letter}`,
    announce: (name, outcome) => `${name}: ${outcome}`,
    outcomeFiles: (disks, files) => `${disks}, ${files}`,
    outcomeComplete: (n) => `${n} file${n === 1 ? '' : 's'} complete`,
    outcomeSome: (complete, total, damaged, unread) =>
      [`${complete} of ${total} files complete`, damaged && `${damaged} damaged`,
        unread && `${unread} not read`].filter(Boolean).join(', '),
    outcomeNeither: 'neither disk of the title',
    outcomeNotImage: 'not a disk image',
    outcomeFailed: 'could not be read',
    streamSet: (first, n) => (n === 1 ? first : `${first} and ${n - 1} more track files`),
    fluxSummary: (tracks, weak, bad) => `Flux: ${tracks} track${tracks === 1 ? '' : 's'} read, ` +
      `${weak} weak sector${weak === 1 ? '' : 's'}, ${bad} never read right`,
    fluxTrack: (index, revolutions, cell, rpm, sectors) => `Track ${index}: ${revolutions} ` +
      `revolution${revolutions === 1 ? '' : 's'}, cell ${cell} ns, ${rpm} rpm, ` +
      `${sectors} sector${sectors === 1 ? '' : 's'}`,
    fluxSector: (r, good, revolutions) => `R ${r} (${good}/${revolutions})`,
    fluxWeak: (list) => `; weak: ${list}`,
    fluxBad: (list) => `; never read right: ${list}`,
  },

  ja: {
    locale: 'ja',
    pageTitle: 'd88cut ブラウザ版',
    switchTo: 'English',
    switchToLocale: 'en',
    intro: 'PC-98 のディスクイメージ（D88・HDM・FDI・NFD・DCP・フラックスダンプ。ZIP や gzip に入ったままでも可）を' +
      '渡すと、各イメージがこのタイトルのディスク A か B かを判定し、BIOS98 と MUS00〜MUS15 を ' +
      'd88cut と 1 バイトも違わずに保存できます。処理はすべてこのページの中で行い、' +
      'ファイルをどこかへ送ることはありません。',
    chooser: 'ディスクイメージを選ぶか、ここにドロップ',
    chooserHint: '複数ファイル・フォルダ可。ディスクイメージ、フラックスダンプ（KryoFlux は全トラックの' +
      'ファイルをまとめて）、それらを収めた ZIP・gzip も読めます。',
    privacy: 'ファイルはこのページの外に出ません。オフラインでも、ディスクから直接開いても動きます。',
    noWorker: 'このブラウザではここでワーカーを起動できないため、ページ上で直接読み込みます。' +
      '大きなファイルでは一時的に反応が止まることがあります。',
    includeDamaged: '破損したファイルも保存する（一部しか読めなかったもの、' +
      'イメージに読み取りエラーが記録されたセクタを含むもの。読めなかった部分は 0 で埋めます）',
    results: '結果',
    reading: '読み込み中…',
    couldNotRead: (why) => `読み込めませんでした：${why}`,
    bytes: (n) => `${n} バイト`,
    took: (ms) => `解析と切り出しに ${ms} ms`,
    images: (n) => `イメージ ${n} 枚`,
    pastLimit: '64 枚目より後は読んでいません',
    zipArchive: 'ZIP アーカイブ',
    gzipFile: 'gzip ファイル',
    inside: (n) => `中身 ${n} ファイル`,
    tooLarge: (name, limit) => `${name}：${limit} を超えるため展開していません。`,
    notImage: (kind, reason, container) => (container
      ? `${container}です。展開して、中のディスクイメージを渡してください。`
      : 'ディスクイメージではありません（d88cut が読めるどの形式にも当てはまりません）。'),
    imageHeading: (number, count, name) => `イメージ ${number}／${count}：「${name}」`,
    imageFacts: (type, meaning, size, tracks) =>
      `メディア種別 0x${type}（${meaning}）、${size}、記録トラック数 ${tracks}。`,
    diskOfTitle: (letter) => `このタイトルのディスク ${letter}`,
    neitherDisk: 'このタイトルのディスクではありません。',
    signatureFound: (disk, text, where) => `ディスク ${disk} の識別文字列「${text}」を${where}に確認。`,
    signatureLookedFor: (disk, where, finding) =>
      `ディスク ${disk} の識別文字列を${where}で探しました：${finding}`,
    sectorAt: (s, offset) =>
      `トラック ${s.track}（C ${s.c} H ${s.h} R ${s.r} N ${s.n}）のオフセット ${offset} `,
    missing: 'そのセクタがこのディスクにありません。',
    short: (size) => `そのセクタは ${size} しかありません。`,
    different: (expected, found, hex) =>
      `文字列が違います。期待値「${expected}」、実際「${found}」（${hex}）。`,
    allComplete: (n) => (n === 1 ? 'ファイルは完全' : `${n} ファイルすべて完全`),
    someComplete: (n, total) => `${total} ファイル中 ${n} 個が完全`,
    readInPart: (names) => `${names} は一部のみ読めた`,
    recordedErrors: (names) => `${names} は読み取りエラーの記録あり`,
    notRead: (names) => `${names} は読めず`,
    outcome: (parts) => parts.join('、'),
    parts: (parts) => parts.join('、'),
    summary: (parts, took) => `${parts.join('、')} — ${took}。`,
    verdict: (disk, outcome) => `${disk}：${outcome}。`,
    rangeJoin: '〜',
    nameJoin: '・',
    filesHeading: 'd88cut が書き出すファイル',
    noFiles: 'なし：このタイトルのディスクであるイメージがありません。',
    columns: ['ファイル', 'サイズ', '状態', 'SHA-256', '保存'],
    complete: '完全',
    damagedInPart: (read, length) => `破損：${length}中 ${read}のみ読めた`,
    damagedErrors: '破損：読み取りエラーの記録があるセクタを含む',
    unread: '読めず',
    noSize: '—',
    save: '保存',
    saveNamed: (name) => `${name} を保存`,
    fullHash: '全桁',
    shortHash: '短く',
    hashOf: (name) => `（${name} の SHA-256。コピーもします）`,
    saveAll: (zip) => `まとめて保存（${zip}）`,
    saves: (n, damaged) => `${n} ファイルを保存します` +
      (damaged ? `（${damaged} は破損。読めなかった部分は 0）` : ''),
    leavesOut: (list) => `。${list}は含みません`,
    leftDamaged: (names) => `${names}（破損）`,
    leftUnread: (names) => `${names}（読めず）`,
    sentenceEnd: '。',
    damagedHint: '破損したファイルは「破損したファイルも保存する」にチェックを入れたときだけ、' +
      '読めなかった部分を 0 で埋めて保存します。',
    consoleHeading: 'd88cut の出力',
    consoleEmpty: '（なし）',
    disk: (letter) => `ディスク ${letter}`,
    announce: (name, outcome) => `${name}：${outcome}`,
    outcomeFiles: (disks, files) => `${disks}（${files}）`,
    outcomeComplete: (n) => `${n} ファイルすべて完全`,
    outcomeSome: (complete, total, damaged, unread) =>
      [`${total} ファイル中 ${complete} 個が完全`, damaged && `破損 ${damaged} 個`,
        unread && `読めず ${unread} 個`].filter(Boolean).join('、'),
    outcomeNeither: 'このタイトルのディスクではありません',
    outcomeNotImage: 'ディスクイメージではありません',
    outcomeFailed: '読み込めませんでした',
    streamSet: (first, n) => (n === 1 ? first : `${first} ほか ${n - 1} 個のトラックファイル`),
    fluxSummary: (tracks, weak, bad) =>
      `フラックス：${tracks} トラックを読み込み、弱いセクタ ${weak} 個、一度も正しく読めなかったセクタ ${bad} 個`,
    fluxTrack: (index, revolutions, cell, rpm, sectors) =>
      `トラック ${index}：${revolutions} 回転、セル ${cell} ns、${rpm} rpm、${sectors} セクタ`,
    fluxSector: (r, good, revolutions) => `R ${r}（${good}/${revolutions}）`,
    fluxWeak: (list) => `、弱い：${list}`,
    fluxBad: (list) => `、正しく読めず：${list}`,
  },
};
