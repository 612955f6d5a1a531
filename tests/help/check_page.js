// The help page as built beside the program: valid HTML (tidy), the build's
// copy up to date, nothing fetched from elsewhere, every link landing, a style
// that fits the game's 442-pixel window, the game's own words, and a worked
// example whose numbers are the scoring's.
// Usage: node check_page.js <program folder> <source folder>
'use strict';
const assert = require('assert');
const { spawnSync } = require('child_process');
const fs = require('fs');
const path = require('path');

const html = path.resolve(process.argv[2], 'html');
const src = path.resolve(process.argv[3], 'assets', 'html');
const page = fs.readFileSync(path.join(html, 'index.htm'), 'utf8');
const script = fs.readFileSync(path.join(html, 'analyser.js'), 'utf8');
const { scoreBoard } = require(path.join(html, 'analyser.js'));

for (const file of ['index.htm', 'analyser.js'])
  assert.ok(fs.readFileSync(path.join(src, file), 'utf8') ===
                fs.readFileSync(path.join(html, file), 'utf8'),
            `the build's copy of ${file} is out of date`);

// Valid HTML: tidy has nothing to say. (The legend's colour swatches are
// empty on purpose.)
const tidy = spawnSync(
    'tidy', ['-errors', '-quiet', '--drop-empty-elements', 'no', path.join(html, 'index.htm')],
    { encoding: 'utf8' });
assert.strictEqual(tidy.error, undefined, 'tidy (Debian package tidy) did not run');
assert.strictEqual(tidy.stderr + tidy.stdout, '', 'tidy');
assert.strictEqual(tidy.status, 0);
// tidy takes <span /> as closed; a browser leaves all but a void element open.
assert.doesNotMatch(page, /<(?!(?:meta|br|hr|img|input)\b)\w+[^<>]*\/>/);
assert.ok(page.startsWith('<!DOCTYPE html>\n<html lang="ja">\n<head>\n<meta charset="utf-8" />'));

// Self-contained under file:, no network: the one script is the local one.
const fetching = /(?:https?|ftp|file):|\/\/|@import|url\(|<iframe|<link|<object|<embed/i;
assert.doesNotMatch(page.replace(/<script[^>]*>[\s\S]*?<\/script>/g, ''), fetching);
assert.deepStrictEqual(page.match(/<script\b[^>]*>/g),
                       ['<script src="fairdie.js">', '<script src="analyser.js">']);
assert.doesNotMatch(script.replace("'http://www.w3.org/2000/svg'", ''),
                    /https?:|fetch\(|XMLHttpRequest|import\(|\.src\b/);
const ids = [...page.matchAll(/ id="([^"]+)"/g)].map((m) => m[1]);
assert.strictEqual(new Set(ids).size, ids.length, 'duplicate id');
const refs = [...page.matchAll(/ (?:href|src)="([^"]*)"/g)].map((m) => m[1]);
assert.ok(refs.length > 8);
for (const ref of refs)
  assert.ok(ref.startsWith('#') ? ids.includes(ref.slice(1))
                                : /^[\w.-]+$/.test(ref) && fs.existsSync(path.join(html, ref)),
            'link ' + ref);

// The game's window is 442 pixels wide; the style has a rule for narrow windows.
const css = page.match(/<style>([\s\S]*?)<\/style>/)[1];
assert.match(css, /@media \(max-width: /);
assert.match(page, /<meta name="viewport" content="width=device-width/);
for (const m of css.replace(/@media[^{]*/g, '').matchAll(/(\d+(?:\.\d+)?)px/g))
  assert.ok(Number(m[1]) <= 442, 'too wide: ' + m[0]);

// The names the player sees, as the game writes them.
const text = page.replace(/<[^>]*>/g, '');
for (const t of ['練習', '本番', 'ﾚﾍﾞﾙ選択', '設定', 'ﾍﾙﾌﾟ', 'お手本', '採点', 'メニューへ',
                 'NextStage', 'Retry', 'Go to Level', 'Good Job!!!', 'Excellent!!!', 'Great!!',
                 'Nice!', 'Valueable...', 'Fault...', 'リタイアしますか？', 'FIRST', 'SECOND',
                 'THIRD', '80 点以上で合格', 'ただいまの乱数は', '点です', 'zorbel.ini'])
  assert.ok(text.includes(t), t);

// The worked example: every number on it is the scoring's (the analyser's
// scoring agrees with zorbel-score, which score_agreement.js checks).
const inner = (id) => {
  const m = page.match(new RegExp(`<(\\w+)[^>]* id="${id}"[^>]*>([\\s\\S]*?)</\\1>`));
  assert.ok(m, '#' + id);
  return m[2];
};
const tds = (id) => [...inner(id).matchAll(/<td[^>]*>([^<]*)</g)].map((m) => m[1]);
const example = inner('example-sequence');
assert.strictEqual(inner('example-board').replace(/<[^>]*>|\s/g, ''), example);
const r = scoreBoard([...example].map(Number));
const sum = (list) => list.reduce((a, b) => a + b, 0);
const a = sum(r.countDeductions), d = sum(r.stepDeductions);
assert.strictEqual(inner('example-details'), r.details);
assert.deepStrictEqual(tds('example-counts'), r.counts.concat(r.n).map(String));
assert.deepStrictEqual(tds('example-count-deductions'), r.countDeductions.concat(a).map(String));
assert.strictEqual(inner('example-sum'), String(r.sum));
assert.strictEqual(inner('example-average-deduction'), String(r.averageDeduction));
assert.deepStrictEqual(
    tds('example-diff-table'),
    r.steps.flatMap((e, k) => [e, Number(r.expectedSteps[k].toFixed(2)), r.stepDeductions[k]])
        .concat([r.n - 1, r.n - 1, d])
        .map(String));
assert.strictEqual(inner('example-total'),
                   `${r.raw} − ${a} − ${r.averageDeduction} − ${d} ＝ ${r.scoreText}`);
// Every score quoted for a sequence, and the table of expected step counts.
const quotes = [...page.matchAll(/data-digits="(\d+)">([^<]*)</g)];
assert.ok(quotes.length >= 2);
for (const [, digits, shown] of quotes)
  assert.strictEqual(shown, scoreBoard([...digits].map(Number)).scoreText, digits);
const at = (n) => scoreBoard(new Array(n).fill(0)).expectedSteps.map((e) => Number(e.toFixed(2)));
const m = [5, 9, 8, 7, 6, 5, 4, 3, 2, 1];
assert.deepStrictEqual(
    tds('diff-expected-table'),
    m.flatMap((w, k) => [w, at(30)[k], at(100)[k]]).concat([50, 29, 99]).map(String));
console.log('the help page is valid, self-contained and agrees with the scoring');
