// Timings of the pages on this machine (not a test): how long after opening
// a page its first prompt is on the screen, and how long a pasted 300x300
// maxcut or colinsert dialogue takes until its result is drawn.
//   node measure.mjs SITE
import {launch, openPage} from './browser.mjs';

const site = process.argv[2];
const programs = ['inttree', 'countout', 'studentdb', 'linefind', 'stringsort', 'colinsert', 'maxcut'];

async function idle(page) {
    await page.waitForFunction('window.terminalIdle() && window.screenText().length > 0', {polling: 5});
}

const browser = await launch();
try {
    for (const name of programs) {
        const page = await openPage(browser, site, name, {autostart: true});
        await idle(page);
        const drawn = await page.evaluate('window.firstOutputDrawn');
        process.stdout.write(`${name}: first prompt drawn ${drawn.toFixed(0)} ms after the page was opened\n`);
        await page.close();
    }
    const rows = [];
    for (let i = 0; i < 300; ++i) rows.push(Array.from({length: 300}, (_, j) => ((i * 7919 + j * 104729) % 2001) - 1000).join(' '));
    const dialogues = {maxcut: ['300', ...rows], colinsert: ['300', ...rows, ...rows.map((r, i) => String(i)), '150']};
    for (const [name, lines] of Object.entries(dialogues)) {
        const page = await openPage(browser, site, name, {autostart: true});
        await idle(page);
        const started = performance.now();
        await page.evaluate((text) => window.terminalPaste(text), lines.join('\r') + '\r');
        await page.waitForFunction('window.terminalIdle()', {polling: 5});
        await new Promise((r) => setTimeout(r, 50));
        await page.waitForFunction('window.terminalIdle()', {polling: 5});
        const took = performance.now() - started;
        const screen = await page.evaluate('window.screenText()');
        process.stdout.write(`${name}: pasted 300x300 dialogue drawn after ${took.toFixed(0)} ms ` +
            `(${screen.split('\n').length} lines on the terminal)\n`);
        await page.close();
    }
} finally {
    await browser.close();
}
