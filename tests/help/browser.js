// The analyser in a real browser: headless Chromium opens the built help page
// with a board in the fragment, as the game does, and the page's DOM must
// show that board's score, details, charts and their text alternatives.
// A second board arrives by a change of fragment while the page is open.
// Usage: node browser.js <program folder>
'use strict';
const assert = require('assert');
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { pathToFileURL } = require('url');

const page = pathToFileURL(path.resolve(process.argv[2], 'html', 'index.htm')).href;
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'zorbel-help-'));

function dom(url) {
  return execFileSync('chromium',
                      [
                        '--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
                        '--allow-file-access-from-files', '--virtual-time-budget=5000',
                        '--user-data-dir=' + profile, '--dump-dom', url
                      ],
                      { encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'], timeout: 60000 });
}
function byId(html, id) {
  const m = html.match(new RegExp(`<(\\w+)[^>]* id="${id}"[^>]*>([\\s\\S]*?)</\\1>`));
  assert.ok(m, 'no element #' + id);
  return m[2];
}
const all = (html, re) => [...html.matchAll(re)].map((m) => m[1]).join(' ');
const bars = (svg) => all(svg, /<(?:rect|circle) [^>]*class="bar[^"]*" data-value="([^"]*)"/g);
const costs = (svg) => all(svg, /<text [^>]*class="cost[^"]*"[^>]*>([^<]*)</g);
const cells = (html) => all(html, /<t[dh][^>]*>([^<]*)</g);

function checkExample(html) {
  assert.strictEqual(byId(html, 'analyser-score'), '88');
  assert.strictEqual(byId(html, 'analyser-verdict'), '合格');
  assert.strictEqual(byId(html, 'analyser-details'),
                     '*素点 112\n各数字の出現回数減点 =  3 1 1 4 0 0 0 1 0 0\n' +
                         '平均差減点= 5\n差 0～9 の出現回数減点 =  1 0 2 1 2 1 1 0 1 0');
  assert.strictEqual(byId(html, 'analyser-total'), '素点 112 − 出現回数 10 − 平均 5 − 差 9 ＝ 88');
  assert.match(html, /<div id="analyser-result">/); // shown, no longer hidden
  const digits = byId(html, 'chart-digits');
  assert.strictEqual(bars(digits), '0 2 4 7 3 3 3 2 3 3');
  assert.strictEqual(costs(digits), '−3 −1 −1 −4 0 0 0 −1 0 0');
  const average = byId(html, 'chart-average');
  assert.strictEqual(bars(average), '4.7');
  assert.strictEqual(costs(average), '平均 4.7　−5');
  const steps = byId(html, 'chart-steps');
  assert.strictEqual(bars(steps), '1 6 7 3 6 4 1 1 0 0');
  assert.strictEqual(costs(steps), '−1 0 −2 −1 −2 −1 −1 0 −1 0');
  // The indices against a fair die of the same length; the machine's guesses.
  assert.strictEqual(byId(html, 'predictor-text'),
                     '機械はあなたの数字を 0 個当てました（でたらめなら約 2.9 個）。' +
                         'でたらめに当ててこれだけ当たる確率は 100 %。');
  assert.strictEqual(byId(html, 'fair-pass'), '公平なサイコロならこのレベルに合格する確率は 61 %');
  const predictorRow = '<tr class="out"><th [^>]*>機械の当たり</th>' +
                       '<td>0</td><td>1～6</td><td>低すぎ</td></tr>';
  assert.match(html, new RegExp(predictorRow));
  assert.match(html,
               /<th [^>]*>TPI<\/th><td>101.786<\/td><td>75～112.5<\/td><td>範囲内<\/td>/);
  assert.strictEqual(
      byId(html, 'indices-notes'),
      '<li>機械の予想をわざと外しているようです。サイコロではめったにないことです。</li>');
  // The same numbers for a reader: each chart's label and its table.
  assert.match(html, new RegExp('id="chart-digits"[^>]*aria-label="[^"]*' +
                                '期待値は各 3 回。0 が 0 回で減点 3、[^"]*3 が 7 回で減点 4、'));
  assert.match(
      html,
      /id="chart-average"[^>]*aria-label="平均 4.7（合計 141 ÷ 30）[^"]*減点 5 点。"/);
  assert.match(
      html,
      /id="chart-steps"[^>]*aria-label="[^"]*差 2 が 7 回（期待値 4.64）で減点 2、/);
  assert.strictEqual(
      cells(byId(html, 'table-digits')),
      '0 0 3 3 1 2 3 1 2 4 3 1 3 7 3 4 4 3 3 0 5 3 3 0 6 3 3 0 7 2 3 1 8 3 3 0 9 3 3 0 ' +
          '計 30 30 10');
  assert.strictEqual(cells(byId(html, 'table-average')), '平均 4.7 4.5 5');
  assert.strictEqual(cells(byId(html, 'table-steps')),
                     '0 1 2.9 1 1 6 5.22 0 2 7 4.64 2 3 3 4.06 1 4 6 3.48 2 ' +
                         '5 4 2.9 1 6 1 2.32 1 7 1 1.74 0 8 0 1.16 1 9 0 0.58 0 計 29 29 9');
}

try {
  // The game's link: the board in the fragment, blanks and all.
  checkExample(dom(page + '#board=3141592653%205897932384%206264338327'));

  // A bad board is shown with its error beside the field, no analysis.
  let html = dom(page + '#board=31415x9265');
  assert.match(byId(html, 'analyser-error'),
               /6 文字目の「x」は数字ではありません/);
  assert.match(html, /<div id="analyser-result" hidden="(?:hidden)?">/);
  assert.match(html, /<textarea [^>]*aria-invalid="true"/);

  // The page already open on a board, then the fragment changes.
  const harness = path.join(profile, 'harness.htm');
  fs.writeFileSync(harness, `<!DOCTYPE html><meta charset="utf-8"><body><iframe id="f"></iframe>
<pre id="input"></pre><pre id="score"></pre><pre id="details"></pre>
<script>
const f = document.getElementById('f');
f.onload = () => {
  f.onload = null;
  f.contentWindow.location.hash = 'board=' + '0'.repeat(30);
  setTimeout(() => {
    const d = f.contentDocument;
    input.textContent = d.getElementById('analyser-input').value;
    score.textContent = d.getElementById('analyser-score').textContent;
    details.textContent = d.getElementById('analyser-details').textContent;
  }, 500);
};
f.src = ${
                                JSON.stringify(page + '#board=' +
                                               '7'.repeat(10))};
</script>`);
  html = dom(pathToFileURL(harness).href);
  assert.strictEqual(byId(html, 'input'), '0'.repeat(30));
  assert.strictEqual(byId(html, 'score'), '0');
  assert.strictEqual(byId(html, 'details'),
                     '*素点 112\n各数字の出現回数減点 =  27 3 3 3 3 3 3 3 3 3\n' +
                         '平均差減点= 112\n差 0～9 の出現回数減点 =  26 5 4 4 3 2 2 1 1 0');
  console.log('the help page shows the analysis of the board in its fragment');
} finally {
  fs.rmSync(profile, { recursive: true, force: true });
}
