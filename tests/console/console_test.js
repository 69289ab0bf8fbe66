// Clicks through the browser console as its user would, in headless Chromium: Cockpit's login
// without and then with administrative access, the instance list of a sandbox root, an instance
// added (a refused port first), created after its check changed nothing, started, stopped,
// verified before and after a hand edit, and deleted. Waits only on the page's state attributes.
// Run by check_console.sh, which passes the session and the sandbox in VXT_* variables.
'use strict';
const fs = require('fs');
const path = require('path');
const { execFileSync } = require('child_process');
const puppeteer = require('puppeteer-core');

const env = process.env;
const base = `http://127.0.0.1:${env.VXT_PORT}`;
const root = env.VXT_ROOT;
const conf = path.join(root, 'opt/Orvellvndx/Vendrix3/instance/shop3/vxtrade.conf');
// Bound of one wait: a start waits for a real controller, a check run for a whole creation.
const BOUND_MS = 60000;
const PAGE_FRAME = 'iframe[name="cockpit1:localhost/vxconfig"]';

let browser, page, frame, shotNo = 0;
const timings = [];

// Runs one step; on a failure names it, prints what the panels it is about showed, and still
// leaves its screenshot.
async function step(name, panels, body) {
    const started = Date.now();
    const failure = await body().then(() => null, (e) => e);
    shotNo += 1;
    const shot = path.join(env.VXT_SHOTS, `${String(shotNo).padStart(2, '0')}-${name}.png`);
    if (page) await page.screenshot({ path: shot }).catch(() => {});
    timings.push(`${name} ${Date.now() - started} ms`);
    if (!failure) return;
    const shown = await Promise.all(panels.map(async (p) => `--- ${p}:\n${await text(p).catch(() => '(not shown)')}`));
    throw new Error(`step ${name}: ${failure.message}\n${shown.join('\n')}\n(screenshot ${shot})`);
}

const waitState = (selector) => frame.waitForSelector(selector, { visible: true, timeout: BOUND_MS });
const text = async (selector) => frame.$eval(selector, (el) => el.innerText);
function expect(what, ok) {
    if (!ok) throw new Error(what);
}

// Replaces an input's value the way a user does, so the page sees its input events.
async function fill(selector, value) {
    const input = await waitState(selector);
    await input.click({ count: 3 });
    if (value === '') await input.press('Backspace');
    else await input.type(value);
}

async function click(selector) {
    await (await waitState(selector)).click();
}

// Logs in through the real form in a context of its own and opens the console in the shell.
async function login(superuser) {
    const context = await browser.createBrowserContext();
    page = await context.newPage();
    await page.setViewport({ width: 1400, height: 1000 });
    await page.goto(`${base}/`);
    // The form is ready once it has put the cursor in the user field; typing earlier loses keys.
    await page.waitForFunction(() => document.activeElement.id === 'login-user-input', { timeout: BOUND_MS });
    // The login page sends this choice with the credentials; "any" asks for sudo.
    await page.evaluate((key, value) => localStorage.setItem(key, value), `superuser:${env.VXT_USER}`, superuser);
    await page.type('#login-user-input', env.VXT_USER);
    await page.type('#login-password-input', env.VXT_PASS);
    await Promise.all([page.waitForNavigation({ timeout: BOUND_MS }), page.click('#login-button')]);
    await page.goto(`${base}/vxconfig`);
    frame = await (await page.waitForSelector(PAGE_FRAME, { timeout: BOUND_MS })).contentFrame();
}

// Every entry of the sandbox with its type, mode, owner and content.
function listing() {
    const script = `cd "$1" && find . -printf '%y %m %U:%G %p -> %l\\n' | sort &&
        find . -type f -print0 | sort -z | xargs -0 sha256sum`;
    return execFileSync('bash', ['-c', script, 'listing', root], { encoding: 'utf8' });
}

// The check of an action on the selected instance, shown before anything is applied.
async function check(action) {
    await click(`#detail button[data-action="${action}"]`);
    await waitState('#plan[data-state="checked"]');
}

// Applies the shown check and waits for the newest job of that name (jobs of one action repeat) to
// end, which must be done.
async function apply(job) {
    const selector = `.job[data-job="${job}"]`;
    const before = await frame.$$eval('.job', (jobs) => Math.max(0, ...jobs.map((j) => Number(j.dataset.id))));
    await click('#apply');
    const ended = await frame.waitForFunction(
        (sel, after) => {
            const jobs = [...document.querySelectorAll(sel)].filter((j) => Number(j.dataset.id) > after);
            const last = jobs.sort((a, b) => b.dataset.id - a.dataset.id)[0];
            return last && last.dataset.state !== 'running' && { state: last.dataset.state, text: last.innerText };
        },
        { timeout: BOUND_MS },
        selector,
        before,
    );
    const { state, text: said } = await ended.jsonValue();
    expect(`job "${job}" ended ${state}: ${said}`, state === 'done');
    return said;
}

async function main() {
    browser = await puppeteer.launch({
        executablePath: '/usr/bin/chromium',
        headless: true,
        args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
            '--disable-component-update', '--disable-sync'],
    });

    await step('read-only', ['#access', '#instances-panel'], async () => {
        await login('none');
        await waitState('#access[data-admin="no"]');
        expect('the access line gives no reason', (await text('#access')).trim() !== '');
        await fill('#root', root);
        await click('#root-use');
        await waitState('#instances[data-state="failed"]');
        expect('vxcfg was not refused', (await text('#instances-error')).includes('Permission denied'));
        // Verify only reads; everything else would change the machine.
        const enabled = await frame.$$eval('#add, button[data-action]:not([data-action="verify"])', (buttons) =>
            buttons.filter((b) => !b.disabled).map((b) => b.id || b.dataset.action));
        expect(`buttons that change the machine are enabled: ${enabled}`, enabled.length === 0);
    });
    await page.browserContext().close();
    frame = null;

    await step('list', ['#access', '#instances-panel'], async () => {
        await login('any');
        // With access the line is hidden: there is nothing to explain.
        await frame.waitForSelector('#access[data-admin="yes"][hidden]', { timeout: BOUND_MS });
        await fill('#root', root);
        await click('#root-use');
        await waitState('#instances[data-state="ready"] tr[data-instance="shop1"]');
    });

    await step('add-refused', ['#form'], async () => {
        await click('#add');
        const fields = { name: 'shop3', '--host': 'shop3.example.com', '--dbuser': 'reldinst', '--dbowner': 'reldinst',
            '--docroot': `${root}/srv/shop3/html`, '--port': '1' };
        for (const [field, value] of Object.entries(fields)) await fill(`#form input[name="${field}"]`, value);
        await click('#form-submit');
        await waitState('#form[data-state="refused"]');
        expect('the port shows no reason', (await text('.field-error[data-for="--port"]')).includes('is refused'));
    });

    await step('add-checked', ['#form', '#plan'], async () => {
        await fill('#form input[name="--port"]', '');
        await fill('#form input[name="--dbpass"]', 'Sandbox1');
        await click('#form-submit');
        await waitState('#plan[data-state="checked"] .file');
    });

    await step('add-applied', ['#plan', '#jobs-panel', '#instances-panel'], async () => {
        await apply('add shop3');
        await waitState('#instances[data-state="ready"] tr[data-instance="shop3"]');
        const commands = fs.readFileSync(env.VXT_COMMANDS, 'utf8');
        expect('no add of shop3 was run', /\badd shop3\b/.test(commands));
        expect('the password stood in a command line', !commands.includes('Sandbox1'));
    });

    await step('create-checked', ['#detail', '#plan'], async () => {
        await click('#instances tr[data-instance="shop3"]');
        await waitState('#detail[data-instance="shop3"][data-state="ready"]');
        const before = listing();
        await check('create');
        await waitState('#plan .file[data-path$="/vxtrade.conf"] pre.diff');
        expect('the check changed the sandbox', listing() === before);
    });

    await step('create-applied', ['#plan', '#jobs-panel'], async () => {
        await apply('create shop3');
        expect('vxtrade.conf was not written', fs.existsSync(conf));
    });

    // verify compares the web server blocks too, which only webconf writes.
    await step('webconf-applied', ['#plan', '#jobs-panel'], async () => {
        await check('webconf');
        await apply('webconf');
    });

    for (const [action, state, done] of [['start', 'running', 'started'], ['stop', 'stopped', 'stopped']]) {
        await step(`${action}-applied`, ['#plan', '#jobs-panel', '#instances-panel'], async () => {
            await check(action);
            // The job shows vxcfg's own words, not only a summary.
            const said = await apply(`${action} shop3`);
            expect(`the job shows none of vxcfg's output: ${said}`, said.includes(`${done} successfully`));
            await waitState(`tr[data-instance="shop3"] td.state[data-value="${state}"]`);
        });
    }

    await step('in-sync', ['#verify'], async () => {
        await click('#detail button[data-action="verify"]');
        await waitState('#verify[data-state="in-sync"]');
    });

    await step('drifted', ['#verify'], async () => {
        const edited = fs.readFileSync(conf, 'utf8').replace(/^PROCESSES 2$/m, 'PROCESSES 7');
        expect('vxtrade.conf has no PROCESSES 2 to edit', edited.includes('PROCESSES 7'));
        fs.writeFileSync(conf, edited);
        await click('#detail button[data-action="verify"]');
        await waitState('#verify[data-state="drifted"]');
        const said = await text('#verify');
        expect('the drift does not name vxtrade.conf', said.includes('vxtrade.conf'));
        expect('the drift shows no diff of the edit', /^-PROCESSES 7$/m.test(said));
    });

    await step('delete-confirm', ['#plan'], async () => {
        await check('delete');
        const apply = await waitState('#apply');
        expect('Apply is possible before the name is typed', await apply.evaluate((b) => b.disabled));
        await fill('#confirm-name', 'shop3');
        await frame.waitForSelector('#apply:not([disabled])', { timeout: BOUND_MS });
    });

    await step('deleted', ['#plan', '#jobs-panel', '#instances-panel'], async () => {
        await apply('delete shop3');
        // The job ends after the list is read again.
        await waitState('#instances[data-state="ready"] tr[data-instance="shop1"]');
        expect('shop3 is still listed', !(await frame.$('tr[data-instance="shop3"]')));
    });
}

const started = Date.now();
main()
    .then(() => console.log('console browser: all passed'))
    .catch((e) => {
        console.log(`FAIL: ${e.message}`);
        process.exitCode = 1;
    })
    .finally(() => {
        console.log(`console steps: ${timings.join(', ')}; browser run ${Date.now() - started} ms`);
        return browser && browser.close();
    });
