// The help page's analyser scores exactly as the game does: its own code
// (html/analyser.js, loaded as the page loads it) against zorbel-score on the
// worked examples and on 10,000 boards of every length from 1 to 100.
// Usage: node score_agreement.js <program folder>
'use strict';
const assert = require('assert');
const { spawnSync } = require('child_process');
const path = require('path');

const dir = path.resolve(process.argv[2]);
const { parseBoard, scoreBoard, computeIndices } = require(path.join(dir, 'html', 'analyser.js'));

// What the page shows, from what the field holds.
function analyse(text) {
  const parsed = parseBoard(text);
  assert.strictEqual(parsed.error, '', text);
  const r = scoreBoard(parsed.digits);
  return r.scoreText + '\n' + r.details;
}

// Worked examples, written out.
const details = (raw, a, b, d) =>
    `*素点 ${raw}\n各数字の出現回数減点 =  ${a}\n平均差減点= ${b}\n差 0～9 の出現回数減点 =  ${d}`;
const worked = [
  [
    '314159265358979323846264338327', '88',
    details(112, '3 1 1 4 0 0 0 1 0 0', 5, '1 0 2 1 2 1 1 0 1 0')
  ],
  [
    '0123456789 0123456789 0123456789', '71',
    details(112, '0 0 0 0 0 0 0 0 0 0', 0, '2 21 4 4 3 2 2 1 1 1')
  ],
  ['0'.repeat(30), '0', details(112, '27 3 3 3 3 3 3 3 3 3', 112, '26 5 4 4 3 2 2 1 1 0')],
  // 14 / 0.56 is 25 on paper but just under it in doubles, as in the game.
  ['56565656565656', '46.6', details(105.6, '1 1 1 1 1 5 5 1 1 1', 24, '1 10 2 1 1 1 1 0 0 0')],
  ['4', '88.4', details(100.4, '0 0 0 0 0 0 0 0 0 0', 12, '0 0 0 0 0 0 0 0 0 0')],
  // 100.4 - 87 is 13.400000000000006 in doubles; the game writes 15 digits.
  ['1', '13.4', details(100.4, '0 0 0 0 0 0 0 0 0 0', 87, '0 0 0 0 0 0 0 0 0 0')],
];
for (const [board, score, text] of worked)
  assert.strictEqual(analyse(board), score + '\n' + text, board);

// What the field accepts: blanks and full-width digits; anything else is
// named with its place, never dropped.
assert.deepStrictEqual(parseBoard(' 1 2\t3\r\n\u30004５'), { digits: [1, 2, 3, 4, 5], error: '' });
for (const [text, words] of [['12a3', ['3 文字目', '「a」']], ['1.5', ['2 文字目', '「.」']],
                             ['9'.repeat(101), ['101 個']], ['', ['1～100 個']],
                             [' \n ', ['1～100 個']], ['12\u00a03', ['3 文字目', 'U+00A0']]]) {
  const parsed = parseBoard(text);
  assert.deepStrictEqual(parsed.digits, [], text);
  for (const w of words)
    assert.ok(parsed.error.includes(w), `${JSON.stringify(text)}: ${parsed.error}`);
}
assert.strictEqual(parseBoard('7'.repeat(100)).error, '');

// Boards of every length: constant, patterned, lopsided and random.
let seed = 20240607;
function rand(k) { // a small fixed-seed generator, so a failure can be rerun
  seed = (Math.imul(seed, 1103515245) + 12345) >>> 0;
  return Math.floor((seed / 4294967296) * k);
}
function boards(n) {
  const out = [];
  const make = (f) => {
    const board = new Array(n);
    for (let i = 0; i < n; ++i)
      board[i] = f(i);
    out.push(board);
  };
  for (let a = 0; a < 10; ++a) // a = 0: constant boards
    for (let b = 0; b < 10; ++b)
      make((i) => (a * i + b) % 10);
  for (let p = 2; p <= 12; ++p) {
    const unit = Array.from({ length: p }, () => rand(10));
    make((i) => unit[i % p]);
  }
  while (out.length < 10000) {
    if (rand(4) === 0) { // every digit equally often, shuffled: counts right at N / 10
      const deck = Array.from({ length: n }, (_, i) => i % 10);
      for (let i = n - 1; i > 0; --i) {
        const j = rand(i + 1);
        [deck[i], deck[j]] = [deck[j], deck[i]];
      }
      out.push(deck);
    } else { // from a few neighbouring digits to all ten
      const lo = rand(10), span = 1 + rand(10 - lo);
      make(() => lo + rand(span));
    }
  }
  return out;
}

// The indices of one board, as the page has them and as zorbel-score writes
// them (a CSV record, whose score is tallied on the way): the score and the
// counts exactly, the rest to 12 digits, for the two compute with different
// log functions.
function sameIndices(board, record, header) {
  const fields = record.split(',');
  assert.strictEqual(fields[1], scoreBoard(board).scoreText, `${board.join('')}: score`);
  const mine = board.length > 1 ? computeIndices(board, 10) : {};
  header.forEach((name, c) => {
    if (c < 3)
      return;
    const want = fields[c] === '' ? null : Number(fields[c]), got = mine[name] ?? null;
    const close = want === got || (want !== null && got !== null &&
                                   Math.abs(got - want) <= 1e-12 * Math.max(1, Math.abs(want)));
    assert.ok(close, `${board.join('')}: ${name} is ${got} on the page, ${want} in zorbel-score`);
  });
}
// Ginsburg & Karpiuk (1994), as published: redundancy 1.1820, RNG 0.34, TPI 70.4082.
const gk = computeIndices(
    [
      ...'25789104239679214053254235679803569821876209756791034598017320357665769802439876403189' +
      '70232388720359'
    ].map(Number),
    10);
assert.deepStrictEqual([gk.redundancy.toFixed(4), gk.rng.toFixed(2), gk.tpi.toFixed(4)],
                       ['1.1820', '0.34', '70.4082']);

let compared = 0;
for (let n = 1; n <= 100; ++n) {
  const list = boards(n);
  const lines = list.map((board) => board.join(''));
  const some = list.filter((board, i) => i % 10 === 0); // the page's indices are slow in Node
  const csv = spawnSync(
      path.join(dir, 'zorbel-score'), ['--indices', '--format=csv'],
      { input: some.map((board) => board.join('')).join('\n') + '\n', encoding: 'utf8' });
  assert.strictEqual(csv.status, 0, csv.stderr);
  const records = csv.stdout.trimEnd().split('\n');
  const header = records.shift().split(',');
  some.forEach((board, i) => sameIndices(board, records[i], header));
  const run = spawnSync(path.join(dir, 'zorbel-score'), ['--details'],
                        { input: lines.join('\n') + '\n', maxBuffer: 1 << 26, encoding: 'utf8' });
  assert.strictEqual(run.status, 0, run.stderr);
  const blocks = run.stdout.split('\n\n');
  assert.strictEqual(blocks.length, list.length + 1);
  list.forEach((board, i) => {
    const r = scoreBoard(board);
    if (r.scoreText + '\n' + r.details !== blocks[i])
      assert.strictEqual(analyse(lines[i]), blocks[i], `length ${n}: ${lines[i]}`);
  });
  compared += list.length;
}
console.log(`analyser agrees with zorbel-score on ${worked.length} worked examples and ${
    compared} boards, indices too`);
